// An annex exported and imported back on the same page, in each spreadsheet
// format the export writes and the import reads.
#include "app/message_dialog.h"
#include "exchange/annex_export.h"
#include "exchange/annex_import.h"
#include "exchange/compound_file.h"
#include "exchange/export_writer.h"
#include "exchange_fixture.h"
#include "titles/annex_list_query.h"

namespace {

// Answers DA to both questions of the import and keeps the messages.
class YesHost : public exchange::ImportHost {
public:
    QStringList texts;
    int Mesaj(const QString&, const QString& text, unsigned, unsigned buttons) override {
        texts << text;
        return buttons == mbDa + mbNu ? mrDa : mrOk;
    }
    void showProgress(const QString&, int) override {}
    void advanceProgress() override {}
    void hideProgress() override {}
};

class AnnexRoundTrip : public exchangetest::ExchangeFixture,
                       public ::testing::WithParamInterface<exchange::ExportFormat> {};

// A title number made only of digits, with a leading zero: the import finds
// the same title again and links it to the new line, rather than creating a
// title "45" and leaving "0045" unlinked.
TEST_P(AnnexRoundTrip, ATitleNumberOfDigitsComesBackAsItWas) {
    addLine(2, QStringLiteral("Anexa 2A"), 1, QStringLiteral("BRAN"), QStringLiteral("POP ION"));
    run(QStringLiteral("UPDATE %1 SET SINCAP=1.5, MOSTEN=\"0012\" WHERE IDANEXA=2").arg(quoted(QStringLiteral("Anexe1.dbf"))));
    addTitle(10, QStringLiteral("0045"), QStringLiteral("BRAN"), QStringLiteral("POP ION"), QStringLiteral("Anexa 2A"), 2,
             QStringLiteral("2.5"));
    store.WriteSetting(QStringLiteral("INDEX"), QStringLiteral("IDANEXA"), QStringLiteral("2"));
    store.WriteSetting(QStringLiteral("INDEX"), QStringLiteral("IDTP"), QStringLiteral("10"));

    engine::Query anex;
    titles::openAnnexList(anex, store, 0, {});
    const auto source = exchange::annexExportSource(anex);
    const QString file = dir.path() + QStringLiteral("/anexa.") + exchange::formatInfo(GetParam()).extension.toLower();
    exchange::writeExport(*source, GetParam(), file, {}, nullptr);
    anex.close();

    YesHost host;
    engine::Query sx;
    exchange::AnnexImport import(store, sx, host);
    ASSERT_TRUE(import.run(file, QStringLiteral("Anexa 2A"))) << host.texts.join(QLatin1Char('\n')).toStdString();

    EXPECT_EQ(rows(QStringLiteral("SELECT T.IDTP, T.TPNR, A.NRCRTA, A.NUME, A.SINCAP, A.MOSTEN FROM ") +
                   quoted(QStringLiteral("TP.dbf")) + QStringLiteral(" T LEFT JOIN ") +
                   quoted(QStringLiteral("Anexe1.dbf")) + QStringLiteral(" A ON T.IDANEXA=A.IDANEXA")),
              (std::vector<std::string>{"10|0045|1|POP ION|1.5|0012"}));
}

INSTANTIATE_TEST_SUITE_P(Formats, AnnexRoundTrip,
                         ::testing::Values(exchange::ExportFormat::Excel, exchange::ExportFormat::Xlsx),
                         [](const auto& info) { return exchange::formatInfo(info.param).key.toStdString(); });

// The caption font is bold both ways a reader may look: by its weight and by
// the flag of the FONT record, as Excel writes them together.
TEST(Excel5Workbook, TheCaptionFontIsBoldByWeightAndByFlag) {
    QTemporaryDir dir;
    const exchange::TableExportSource source({{QStringLiteral("Nr.Poz."), true}}, {{"1"}});
    const QString path = dir.path() + QStringLiteral("/fonturi.xls");
    exchange::writeExport(source, exchange::ExportFormat::Excel, path, {}, nullptr);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto stream = exchange::compoundFileStream(std::string_view(bytes.constData(), size_t(bytes.size())), u"Book");
    ASSERT_TRUE(stream);
    int bold = 0;
    for (size_t at = 0; at + 4 <= stream->size();) {
        const auto u16 = [&](size_t i) { return unsigned(uint8_t((*stream)[i])) | unsigned(uint8_t((*stream)[i + 1])) << 8; };
        const unsigned id = u16(at), length = u16(at + 2);
        if (id == 0x0031) {
            const unsigned flags = u16(at + 6), weight = u16(at + 10);
            EXPECT_EQ(flags & 1u, weight >= 700 ? 1u : 0u) << "weight " << weight;
            if (weight >= 700) ++bold;
        }
        at += 4 + length;
    }
    EXPECT_EQ(bold, 1);
}

}  // namespace
