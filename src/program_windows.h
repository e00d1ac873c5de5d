#pragma once

#include "app/about_window.h"
#include "app/admin_window.h"
#include "app/main_menu.h"
#include "app/message_dialog.h"
#include "app/password_prompt.h"
#include "app/progress_window.h"
#include "app/startup_window.h"
#include "backup/backup_window.h"
#include "exchange/export_dialogs.h"
#include "reports/rap_parc_form.h"
#include "reports/raport_form.h"
#include "titles/alege_titlu_dialog.h"
#include "titles/anexa_add_dialog.h"
#include "titles/titdet_add_dialog.h"
#include "titles/titlu_add_dialog.h"
#include "titles/titluri_form.h"

// The windows of every layer, created once in their fixed order, with the main
// menu's entries wired to the feature windows. The entry point makes one; the
// start-up benchmark makes the same.
struct ProgramWindows {
    ProgramWindows();

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
};
