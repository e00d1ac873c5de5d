// The annex view's "Exporta" and "Importa": the export component's dialogs,
// the file written, the import through the form and its refresh, and the
// round trip of an exported annex.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "app/message_dialog.h"
#include "app/progress_window.h"
#include "common/test_paths.h"
#include "exchange/export_dialogs.h"
#include "exchange/workbook_reader.h"
#include "titles/annex_lists.h"

#include "dialog_fixture.h"
#include "form_fixture.h"

namespace titlestest {
namespace {

using dialogtest::whenShown;

class FormExchange : public FormFixture {
protected:
    std::unique_ptr<exchange::Tfrm_Selection> selection;
    std::unique_ptr<exchange::Tfrm_ProgressForm> progress;

    void SetUp() override {
        FormFixture::SetUp();
        dialogtest::ProgramWindows::ensure();
        selection = std::make_unique<exchange::Tfrm_Selection>();
        progress = std::make_unique<exchange::Tfrm_ProgressForm>();
    }
    void TearDown() override {
        progress.reset();
        selection.reset();
        FormFixture::TearDown();
    }

    // Answers the format dialog: the format by its list name, to a file or
    // view only; `seen` gets the list as the dialog offered it.
    void chooseFormat(const QString& name, bool toFile, QStringList* seen = nullptr) {
        whenShown(*selection, [this, name, toFile, seen] {
            if (seen) *seen = itemsOf(selection->FormatBox);
            selection->FormatBox->setCurrentIndex(selection->FormatBox->findText(name));
            (toFile ? selection->ToFile : selection->ViewOnly)->setChecked(true);
            selection->ExportB->click();
        });
    }
    static QStringList itemsOf(QComboBox* box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
        return out;
    }

    // Two lines of "Anexa 2A", one with a title.
    void addTwoLines() {
        const int first = addLine("Anexa 2A", "BRAN", "POP ION",
                                  {{"NRCRTA", "1"}, {"TIPANX", text("Anexa 2A")}, {"SACT", "2.5"}, {"MOSTEN", text("ANA")}});
        addLine("Anexa 2A", "ARINI", "IONESCU", {{"NRCRTA", "2"}, {"TIPANX", text("Anexa 2A")}, {"NEAG", "0.0001"}});
        addLinkedTitle(first, "Anexa 2A", "0123", "POP ION", {{"INSAT", text("BRAN")}, {"SUPTOT", "7.25"}});
    }
    // A workbook's rows as "|"-joined cells, through the import's own reader.
    static QStringList sheet(const QString& path) {
        const auto book = exchange::openWorkbookFile(path);
        QStringList out;
        for (int r = 1; r <= book->usedRows(); ++r) {
            QStringList cells;
            for (int c = 1; c <= book->usedColumns(); ++c) cells << book->cellText(r, c);
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }
};

TEST_F(FormExchange, AnEmptyAnnexListExportsNothing) {
    openForm();
    form->LbSpeedButton2->click();
    EXPECT_FALSE(selection->isVisible());
    EXPECT_TRUE(answers.requests().empty());
}

TEST_F(FormExchange, TheAnnexListGoesToTheChosenExcelFileAsTheImportReadsIt) {
    addTwoLines();
    openForm();
    form->Anex.moveTo(1);
    const QString path = AppDir() + QStringLiteral("/anexa");
    answers.saveFile(path);
    QStringList offered;
    chooseFormat(QStringLiteral("Microsoft Excel"), true, &offered);
    form->LbSpeedButton2->click();

    EXPECT_EQ(offered, (QStringList{"HTML", "Microsoft Excel", "Microsoft Excel 2007+ (.xlsx)", "Text", "Clipboard"}));
    EXPECT_EQ(selection->windowTitle(), QStringLiteral("Export datele"));
    const auto saves = answers.requestsOf(platform::DialogKind::SaveFile);
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].caption, QStringLiteral("Save document"));
    EXPECT_EQ(saves[0].filter, QStringLiteral("Excel Files (*.xls)"));
    EXPECT_EQ(saves[0].defaultExtension, QStringLiteral("xls"));
    EXPECT_EQ(saves[0].folder, AppDir());
    const QStringList expected{
        "Nr.Poz.|Subanexa|SATUL|AUTOR|Supr.in CAP|Supr.solicit.|Supr.aprob.|Supr.act.|Mostenitori|Extr.total|"
        "Extr.arabil|Extr.vii|Extr.livezi|Extr.pasune|Intr.total|Intr.arabil|Intr.vii|Intr.livezi|Intr.pasune|"
        "Neagr.|Titlul Nr.|Supr.Totala",
        // The title number is a text cell: its leading zero stays.
        "1|Anexa 2A|BRAN|POP ION||||2.5|ANA||||||||||||0123|7.25",
        "2|Anexa 2A|ARINI|IONESCU|||||** NUL **|||||||||||0.0001|** NUL **|"};
    EXPECT_EQ(sheet(path + QStringLiteral(".xls")), expected);
    // The list keeps its current line and the form is given back.
    EXPECT_EQ(form->Anex.recNo(), 1);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_FALSE(progress->isVisible());
}

TEST_F(FormExchange, ViewOnlyOpensATemporaryFileAndTheClipboardTellsItIsDone) {
    addTwoLines();
    openForm();
    answers.shellOpen(true);
    chooseFormat(QStringLiteral("HTML"), false);
    form->LbSpeedButton2->click();
    const auto opened = answers.requestsOf(platform::DialogKind::ShellOpen);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].path.endsWith(QStringLiteral(".htm")));
    EXPECT_TRUE(QFile::exists(opened[0].path));
    QFile::remove(opened[0].path);

    answers.message(mrOk);
    bool choicesEnabled = true;
    whenShown(*selection, [&] {
        selection->FormatBox->setCurrentIndex(selection->FormatBox->findText(QStringLiteral("Clipboard")));
        choicesEnabled = selection->ViewOnly->isEnabled() || selection->ToFile->isEnabled();
        selection->ExportB->click();
    });
    form->LbSpeedButton2->click();
    EXPECT_FALSE(choicesEnabled);
    EXPECT_EQ(messages(), QStringList{"Export datele|Tabelul a fost copiat in Clipboard!|2|4"});
}

TEST_F(FormExchange, CancellingTheFormatOrTheSaveDialogWritesNothing) {
    addTwoLines();
    openForm();
    whenShown(*selection, [&] { selection->CancelB->click(); });
    form->LbSpeedButton2->click();
    answers.saveFile(std::nullopt);
    chooseFormat(QStringLiteral("Text"), true);
    form->LbSpeedButton2->click();
    EXPECT_EQ(answers.requestsOf(platform::DialogKind::SaveFile).size(), 1u);
    EXPECT_TRUE(answers.requestsOf(platform::DialogKind::ShellOpen).empty());
}

// Exported to .xls and to .xlsx and imported back on the same page, deleting
// the lines that were there: the same lines, renumbered from 1.
TEST_F(FormExchange, AnExportedAnnexImportsBackWithTheSameLines) {
    // As the line dialog stores them: every surface a number.
    Values surfaces;
    for (const char* f : {"SINCAP", "SSOL", "SAPROB", "SACT", "EXTOT", "EXAR", "EXVII", "EXLIV", "EXPAS", "INTOT",
                          "INAR", "INVII", "INLIV", "INPAS", "NEAG"})
        surfaces.push_back({f, "0.5"});
    const auto line = [&](const char* position, const char* village, const char* name, const char* heirs) {
        Values v = surfaces;
        v.push_back({"NRCRTA", position});
        v.push_back({"TIPANX", text("Anexa 2A")});
        v.push_back({"MOSTEN", text(heirs)});
        return addLine("Anexa 2A", village, name, v);
    };
    const int first = line("1", "BRAN", "POP ION", "ANA; DAN");
    line("2", "Ştefăneşti", "ŢĂRAN", "");
    addLinkedTitle(first, "Anexa 2A", "T12", "POP ION", {{"INSAT", text("BRAN")}, {"SUPTOT", "7.25"}});
    const QString fields = QStringLiteral("NRCRTA, TIPANX, SATUL, NUME, SINCAP, SACT, MOSTEN, EXTOT, INPAS, NEAG");
    const auto before = tableRows(QStringLiteral("Anexe1.dbf"), fields);
    for (const QString& format : {QStringLiteral("Microsoft Excel"), QStringLiteral("Microsoft Excel 2007+ (.xlsx)")}) {
        SCOPED_TRACE(format.toStdString());
        openForm();
        const QString path = AppDir() + QStringLiteral("/runda");
        answers.saveFile(path);
        chooseFormat(format, true);
        form->LbSpeedButton2->click();
        const QString written = path + (format.contains(QStringLiteral("xlsx")) ? ".xlsx" : ".xls");
        answers.openFile(written).message(mrDa).message(mrDa).message(mrOk);
        form->ImportBClick();
        EXPECT_EQ(messages().last(), QStringLiteral("Import date|\rImport incheiat cu succes!|2|4"));
        EXPECT_EQ(tableRows(QStringLiteral("Anexe1.dbf"), fields), before);
        EXPECT_EQ(tableRows(QStringLiteral("TP.dbf"), QStringLiteral("TPNR, ANEXA, SUPTOT")),
                  (std::vector<std::string>{"T12|Anexa 2A|7.25"}));
        form->closeDown();
    }
}

TEST_F(FormExchange, TheImportRefreshesTheVillagesAndTheListAndGivesTheFormBack) {
    addLine("Anexa 2A", "ZAVOI", "VECHI", {{"NRCRTA", "40"}});
    openForm();
    const QString file = QString::fromStdString(testing_paths::fixture("workbooks/annex_2a.xls"));
    answers.openFile(file).message(mrDa).message(mrNu).message(mrOk);
    form->ImportB->click();
    const auto opens = answers.requestsOf(platform::DialogKind::OpenFile);
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].caption, QStringLiteral("Alegeti fisierul XLS"));
    EXPECT_EQ(opens[0].defaultExtension, QStringLiteral("xls"));
    EXPECT_EQ(messages(), (QStringList{"Import date Anexa 2A|\rDoriti sa adaugam 5 linii?|3|3",
                                       "Import date Anexa 2A|\rDoriti sa stergem liniile existente la aceasta Anexa?|3|3",
                                       "Import date|\rImport incheiat cu succes!|2|4"}));
    EXPECT_EQ(titles::itemsOf(form->ComboBox1),
              (QStringList{" * toate *", " Sat  Nou", "BRAN", "bran", "Ştefăneşti", "ZAVOI"}));
    EXPECT_EQ(form->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(form->Anex.recordCount(), 6);
    EXPECT_EQ(form->TotalLab->text(), QStringLiteral("6"));
    EXPECT_TRUE(form->Tx.isOpen());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_FALSE(TContor::instance().isVisible());
    EXPECT_TRUE(QFile::exists(AppDir() + QStringLiteral("/XLSTmp0.xls")));
}

// A refused sheet lists every problem, in Romanian, under the message's
// text, where the dialog's text area alone would cut them.
TEST_F(FormExchange, ARefusedSheetListsEveryProblem) {
    openForm();
    answers.openFile(QString::fromStdString(testing_paths::fixture("workbooks/misfits.xls"))).message(mrOk);
    form->ImportB->click();
    const QStringList shown = messages();
    ASSERT_EQ(shown.size(), 1);
    const QStringList parts = shown[0].split(QLatin1Char('|'));
    ASSERT_EQ(parts.size(), 4);
    EXPECT_EQ(parts[0], QStringLiteral("Import date"));
    const QStringList lines = parts[1].split(QLatin1Char('\r'));
    ASSERT_EQ(lines.size(), 2 + 5);
    EXPECT_EQ(lines[1], QStringLiteral("Valori care nu incap in tabele (5); nu s-a importat nimic:"));
    EXPECT_EQ(lines[2], QStringLiteral("Randul 2, coloana 5 (Supr.in CAP): valoarea 1500 nu incape in campul SINCAP (cel "
                                       "mult 999.9999)"));
    EXPECT_TRUE(lines[6].startsWith(QStringLiteral("Randul 6, coloana 22 (Supr.Totala): ")));
    EXPECT_EQ(form->Anex.recordCount(), 0);
    EXPECT_TRUE(form->isEnabled());
}

}  // namespace
}  // namespace titlestest
