// "Tipareste": the report on printed pages, read back with poppler's
// pdftotext, as an independent reader of what was printed.
#include <numeric>

#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>

#include "reports_fixture.h"

namespace reportstest {
namespace {

class Printout : public ReportsFixture {
protected:
    std::unique_ptr<TRaportF> general;
    std::unique_ptr<TRapParcF> parcel;

    void SetUp() override {
        ReportsFixture::SetUp();
        addRegister();
        store().WriteSetting("SETARI", "PRIMARIA", "PRIMARIA COMUNEI BRADU");
        general = std::make_unique<TRaportF>();
        parcel = std::make_unique<TRapParcF>();
    }
    void TearDown() override {
        general.reset();
        parcel.reset();
        ReportsFixture::TearDown();
    }

    // The text of every page, as pdftotext lays it out.
    static QStringList pages(const QString& pdf) {
        QProcess reader;
        reader.start("pdftotext", {"-layout", pdf, "-"});
        EXPECT_TRUE(reader.waitForFinished(60000));
        EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
        QStringList out = QString::fromUtf8(reader.readAllStandardOutput()).split('\f');
        if (!out.isEmpty() && out.back().trimmed().isEmpty()) out.removeLast();
        return out;
    }
    QString pdfPath(const QString& name) { return dir.filePath(name); }
};

TEST_F(Printout, ThePageShowsOfficeHeaderFiltersRowsTotalsAndFigures) {
    general->prepareOpening();
    choose(general->SatBox, "BRADU");
    choose(general->TipC, "EXTRAVILAN");
    recordValue(*general, "4.5");
    answers.print(pdfPath("general.pdf"));
    general->PrintB->click();
    ASSERT_EQ(answers.requestsOf(platform::DialogKind::Print).size(), 1u);
    EXPECT_EQ(answers.requestsOf(platform::DialogKind::Print)[0].caption, "RAPORT GENERAL");

    const QStringList text = pages(pdfPath("general.pdf"));
    ASSERT_EQ(text.size(), 1);
    const QString& page = text[0];
    for (const char* expected :
         {"PRIMARIA COMUNEI BRADU", "RAPORT GENERAL", "Satul: BRADU", "TIP: EXTRAVILAN", "Nr.crt.", "Titulari",
          "ABC ION", "BA DAN", "LA POD", "1.5000", "3.0001", "Totaluri pe tip si categorie", "Pasune", "Total linii",
          "Total suprafata", "4.5001", "Conf.Reg.Func.", "4.5000", "Diferenta", "0.0001", "Pagina 1 din 1"}) {
        EXPECT_TRUE(page.contains(expected)) << expected;
    }
    EXPECT_FALSE(page.contains("CAB MARIA"));
}

TEST_F(Printout, ALongReportGoesOnNumberedPagesWithTheHeaderOnEach) {
    for (int i = 0; i < 120; ++i) surface(titleBa, "EXTRAVILAN", "Arabil", "0.01", "LUNCA", "9", QString::number(i), "");
    general->prepareOpening();
    QPdfWriter writer(pdfPath("long.pdf"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    const int count = general->print(writer);
    ASSERT_GE(count, 3);

    const QStringList text = pages(pdfPath("long.pdf"));
    ASSERT_EQ(text.size(), count);
    // Every row once, in order, under the header repeated on each page.
    std::vector<int> numbers;
    const QRegularExpression row(QStringLiteral("^\\s*(\\d+) (BRADU|VALEA) "));
    for (int p = 0; p < count; ++p) {
        SCOPED_TRACE(p);
        EXPECT_TRUE(text[p].contains(QStringLiteral("Pagina %1 din %2").arg(p + 1).arg(count)));
        const bool rows = p < count - 1;
        EXPECT_EQ(text[p].contains("Titulari"), rows);
        for (const QString& line : text[p].split('\n'))
            if (const auto m = row.match(line); m.hasMatch()) numbers.push_back(m.captured(1).toInt());
    }
    std::vector<int> expected(126);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(numbers, expected);
    EXPECT_TRUE(text[0].contains("toate suprafetele, fara filtre"));
    // The totals and the figures together, on the last page.
    EXPECT_TRUE(text[count - 1].contains("Totaluri pe tip si categorie"));
    EXPECT_TRUE(text[count - 1].contains("Diferenta"));
}

// The longest values a register holds: numbers come out whole, never cut,
// and long texts go on over more lines, every word printed.
TEST_F(Printout, NumbersAreNeverCutAndLongTextsGoOnOverLines) {
    const QString holder = "STAMATE VASILE SI STAMATE ELENA CRISTINA MOSTENITORI AI LUI STAMATE GHEORGHE DIN SATUL "
                           "POIANA LUI STAMATE COMUNA BRADU";
    ASSERT_LE(holder.size(), 120);
    const int title = addTitle("0045", holder, {{"INSAT", text("VALEA MORILOR DE SUS NOR")},
                                                {"ANEXA", text("Legea 247/2005")}});
    for (const char* area : {"9999.9999", "11.44", "10.6243"})
        addSurface(title, "EXTRAVILAN", "CURTI, CONSTRUCTII", area,
                   {{"OBS", text("LUNGIME DUPA CADASTRU")}, {"NRTARLA", text("12")}, {"PARCELA", "123456"},
                    {"LUNG", "999.9999"}, {"LAT", "140.5"}, {"COMENT", text("masurat cu GPS")}});
    general->prepareOpening();
    QPdfWriter writer(pdfPath("lung.pdf"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    general->print(writer);

    const QString text = pages(pdfPath("lung.pdf")).join('\n');
    EXPECT_FALSE(text.contains(QChar(0x2026))) << "a cut value";
    for (const char* whole : {"9999.9999", "11.4400", "10.6243", "999.9999", "140.5000", "123456", "Legea 247/2005",
                              "CURTI, CONSTRUCTII", "EXTRAVILAN"})
        EXPECT_TRUE(text.contains(whole)) << whole;
    for (const QString& word : holder.split(' ') + QStringList{"VALEA", "MORILOR", "LUNGIME", "CADASTRU", "masurat"})
        EXPECT_TRUE(text.contains(word)) << word.toStdString();
}

TEST_F(Printout, ThePerParcelReportPrintsItsOwnColumnsAndCount) {
    parcel->prepareOpening();
    choose(parcel->TarlaBox, "LA POD");
    answers.print(pdfPath("parcel.pdf"));
    parcel->TiparesteBClick();
    const QStringList text = pages(pdfPath("parcel.pdf"));
    ASSERT_EQ(text.size(), 1);
    for (const char* expected : {"RAPORT PE PARCELA", "Denumire tarla: LA POD", "Titulari", "Total titluri",
                                 "CAB MARIA", "2.0000", "3.5000"})
        EXPECT_TRUE(text[0].contains(expected)) << expected;
}

TEST_F(Printout, ACancelledPrintDialogPrintsNothing) {
    general->prepareOpening();
    answers.print(std::nullopt);
    general->PrintB->click();
    EXPECT_FALSE(QFile::exists(pdfPath("general.pdf")));
}

}  // namespace
}  // namespace reportstest
