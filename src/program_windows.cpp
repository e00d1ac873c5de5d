#include "program_windows.h"

ProgramWindows::ProgramWindows() {
    form3.ShowTitlesForm = [this] { titluriF.ShowTitlesForm(); };
    form3.OpenGeneralReport = [this] { raportF.OpenReport(); };
    form3.OpenParcelReport = [this] { rapParcF.OpenReport(); };
    form3.OpenBackup = [this] { form21.OpenBackup(); };
}
