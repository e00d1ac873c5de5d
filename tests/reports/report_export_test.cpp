// "Exporta" of both reports: the grid as it shows, under the report's
// headings, through the export component's dialogs; the sheets read back by
// LibreOffice.
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "exchange/export_dialogs.h"
#include "exchange/libreoffice.h"
#include "reports_fixture.h"
#include "titles/dialog_fixture.h"

namespace reportstest {
namespace {

using dialogtest::whenShown;
using exchangetest::LibreOffice;

template <typename Form>
class ReportExport : public ReportTest<Form> {
protected:
    std::unique_ptr<exchange::Tfrm_Selection> selection;
    std::unique_ptr<exchange::Tfrm_ProgressForm> progressForm;
    QStringList offered;

    void SetUp() override {
        ReportTest<Form>::SetUp();
        selection = std::make_unique<exchange::Tfrm_Selection>();
        progressForm = std::make_unique<exchange::Tfrm_ProgressForm>();
    }
    void TearDown() override {
        progressForm.reset();
        selection.reset();
        ReportTest<Form>::TearDown();
    }

    // "Exporta", the format chosen by its list name, to the file `path`
    // (without its extension).
    void exportTo(const QString& format, const QString& path) {
        this->answers.saveFile(path);
        whenShown(*selection, [this, format] {
            offered.clear();
            for (int i = 0; i < selection->FormatBox->count(); ++i) offered << selection->FormatBox->itemText(i);
            selection->FormatBox->setCurrentIndex(selection->FormatBox->findText(format));
            selection->ToFile->setChecked(true);
            selection->ExportB->click();
        });
        this->form->ExportB->click();
    }

    // The sheets as LibreOffice reads them: a CSV line per row, texts quoted.
    QStringList cells(const QString& file) {
        if (!LibreOffice::available()) return {};
        const LibreOffice office(this->AppDir());
        const QString out = this->AppDir() + QStringLiteral("/csv");
        EXPECT_TRUE(office.toCsv({file}, out));
        return LibreOffice::lines(out + QLatin1Char('/') + QFileInfo(file).completeBaseName() + QStringLiteral(".csv"));
    }
};

using GeneralReportExport = ReportExport<TRaportF>;
using ParcelReportExport = ReportExport<TRapParcF>;

TEST_F(GeneralReportExport, WritesTheRowsShownUnderItsHeadingsWithNumbersAsNumberCells) {
    open();
    choose(form->SatBox, QStringLiteral("BRADU"));
    form->SMDBGrid3TitleClick(QStringLiteral("SUPRAF"));
    form->Tx.moveTo(2);
    exportTo(QStringLiteral("Microsoft Excel"), AppDir() + QStringLiteral("/general"));

    EXPECT_EQ(selection->windowTitle(), QStringLiteral("Export Grila"));
    EXPECT_EQ(offered, (QStringList{"HTML", "Microsoft Word", "Microsoft Excel", "Microsoft Excel 2007+ (.xlsx)", "Text",
                                    "Rich Text", "Comma-Separated Text", "Tab-Separated Text",
                                    "Data Interchange Format", "SYLK Format", "Clipboard"}));
    const auto saves = answers.requestsOf(platform::DialogKind::SaveFile);
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].caption, QStringLiteral("Save document"));
    EXPECT_EQ(saves[0].filter, QStringLiteral("Excel Files (*.xls)"));
    EXPECT_EQ(saves[0].folder, AppDir());
    // The same row stays current; the form is given back.
    EXPECT_EQ(form->Tx.recNo(), 2);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_FALSE(progressForm->isVisible());

    if (!LibreOffice::available()) GTEST_SKIP() << "soffice is not installed";
    // The village's rows in the order of the area; the three last columns
    // keep their grid titles. Row numbers, areas, parcels, lengths and widths
    // are number cells; title and plot numbers and lots are text cells, even
    // when made of digits.
    EXPECT_EQ(cells(AppDir() + QStringLiteral("/general.xls")),
              (QStringList{"\"Nr. Crt.\",\"Satul\",\"Anexa\",\"Titulari\",\"Titlul Nr.\",\"Tip\",\"Categoria\","
                           "\"Denumire tarla\",\"Tarla Nr.\",\"Parcela\",\"Lotul\",\"Suprafata\",\"Lungime\","
                           "\"Latime\",\"Detalii\"",
                           "1,\"BRADU\",\"Anexa 2A\",\"ABC ION\",\"7\",\"INTRAVILAN\",\"Curti\",\"VATRA\",\"2\",5,\"12\","
                           "0.25,100,25.5,\"masurat\"",
                           "2,\"BRADU\",\"Anexa 2A\",\"ABC ION\",\"7\",\"EXTRAVILAN\",\"Arabil\",\"LA POD\",\"10\",1,\"1\","
                           "1.5,100,25.5,\"masurat\"",
                           "3,\"BRADU\",,\"BA DAN\",\"3\",\"EXTRAVILAN\",\"Pasune\",\"DEALUL\",\"11\",4,,3.0001,100,25.5,"
                           "\"masurat\""}));
}

TEST_F(ParcelReportExport, WritesItsFiveHeadingsAndAnEmptyReportOnlyThem) {
    open();
    exportTo(QStringLiteral("Microsoft Excel 2007+ (.xlsx)"), AppDir() + QStringLiteral("/parcel"));
    form->NrTarlaE->setText(QStringLiteral("99"));
    ASSERT_EQ(form->Tx.recordCount(), 0);
    exportTo(QStringLiteral("Microsoft Excel"), AppDir() + QStringLiteral("/empty"));
    ASSERT_EQ(answers.requestsOf(platform::DialogKind::SaveFile).size(), 2u);

    if (!LibreOffice::available()) GTEST_SKIP() << "soffice is not installed";
    const QString headings = QStringLiteral("\"Nr. Crt.\",\"Anexa\",\"Titlul Nr.\",\"Suprafata\",\"Titulari\"");
    EXPECT_EQ(cells(AppDir() + QStringLiteral("/parcel.xlsx")),
              (QStringList{headings, "1,\"Anexa 3\",\"12\",2.125,\"CAB MARIA\"", "2,,\"20\",0.5,\"POPA ANA\"",
                           "3,,\"3\",3.0001,\"BA DAN\"", "4,\"Anexa 2A\",\"7\",1.75,\"ABC ION\""}));
    EXPECT_EQ(cells(AppDir() + QStringLiteral("/empty.xls")), QStringList{headings});
}

TEST_F(GeneralReportExport, AReportNotOpenShowsTheDialogAndWritesNothing) {
    bool shown = false;
    whenShown(*selection, [&] {
        shown = true;
        selection->ExportB->click();
    });
    form->ExportB->click();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(answers.requests().empty());
}

TEST_F(ParcelReportExport, TheClipboardTellsItIsDone) {
    open();
    answers.message(mrOk);
    whenShown(*selection, [&] {
        selection->FormatBox->setCurrentIndex(selection->FormatBox->findText(QStringLiteral("Clipboard")));
        selection->ExportB->click();
    });
    form->ExportB->click();
    EXPECT_EQ(messages(), QStringList{"Export Grila|Tabelul a fost copiat in Clipboard!|2|4"});
}

}  // namespace
}  // namespace reportstest
