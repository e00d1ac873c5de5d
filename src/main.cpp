// Entry point: creates the windows of every layer, once, in their fixed order.
#include <cstdio>

#include <QPalette>
#include <QToolTip>

#include "app/about_window.h"
#include "app/admin_window.h"
#include "app/application.h"
#include "app/constants.h"
#include "app/main_menu.h"
#include "app/message_dialog.h"
#include "app/password_prompt.h"
#include "app/pictures.h"
#include "app/progress_window.h"
#include "app/startup_window.h"
#include "backup/backup_window.h"
#include "exchange/export_dialogs.h"
#include "platform/single_instance.h"
#include "reports/rap_parc_form.h"
#include "reports/raport_form.h"
#include "titles/alege_titlu_dialog.h"
#include "titles/anexa_add_dialog.h"
#include "titles/titdet_add_dialog.h"
#include "titles/titlu_add_dialog.h"
#include "titles/titluri_form.h"

int main(int argc, char** argv) {
    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "Terralog is a desktop program and this session has no display.\n"
                     "Start it on a virtual display instead:  xvfb-run -a %s\n",
                     argc > 0 ? argv[0] : "terralog");
        return 1;
    }
    TerralogApplication app(argc, argv);

    platform::SingleInstance single(ApplicationTitle);
    if (!single.claim()) return 0;

    QApplication::setApplicationName(ApplicationTitle);
    QApplication::setWindowIcon(applicationIcon());
    QPalette hints = QToolTip::palette();
    hints.setColor(QPalette::ToolTipBase, Qt::white);
    hints.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(hints);

    TForm1 form1;
    TForm2 form2;
    TForm3 form3;
    TForm4 form4;
    TForm5 form5;
    TForm21 form21;
    TContor contor;
    TErori erori;
    TTitluriF titluriF;
    TTitluAddF titluAddF;
    TTitDetAddF titDetAddF;
    TAnexaAdd1F anexaAdd1F;
    TAlegeTitluF alegeTitluF;
    TRaportF raportF;
    TRapParcF rapParcF;
    exchange::Tfrm_Selection frmSelection;
    exchange::Tfrm_ProgressForm frmProgressForm;
    form3.ShowTitlesForm = [&titluriF] { titluriF.ShowTitlesForm(); };
    form3.OpenGeneralReport = [&raportF] { raportF.OpenReport(); };
    form3.OpenParcelReport = [&rapParcF] { rapParcF.OpenReport(); };
    form3.OpenBackup = [&form21] { form21.OpenBackup(); };

    QObject::connect(&single, &platform::SingleInstance::activationRequested, &app, &bringRunningInstanceForward);

    form1.show();
    return app.exec();
}
