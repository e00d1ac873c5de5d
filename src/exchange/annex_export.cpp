#include "exchange/annex_export.h"

#include "engine/dataset.h"

namespace exchange {

namespace {

// The annex list's fields in the order of the caption list.
const char* const kFields[] = {"NRCRTA", "IDANEXA", "ANEXA", "TIPANX", "SATUL", "NUME",  "SINCAP", "SSOL",  "SAPROB",
                               "SACT",   "MOSTEN",  "EXTOT", "EXAR",   "EXVII", "EXLIV", "EXPAS",  "INTOT", "INAR",
                               "INVII",  "INLIV",   "INPAS", "NEAG",   "MM",    "TIT",   "SUPTOT"};

}  // namespace

const QStringList& annexCaptions() {
    static const QStringList list = {
        QStringLiteral("Nr.Poz."),     QStringLiteral("ID Anexa"),      QStringLiteral("Anexa"),
        QStringLiteral("Subanexa"),    QStringLiteral("SATUL"),         QStringLiteral("AUTOR"),
        QStringLiteral("Supr.in CAP"), QStringLiteral("Supr.solicit."), QStringLiteral("Supr.aprob."),
        QStringLiteral("Supr.act."),   QStringLiteral("Mostenitori"),   QStringLiteral("Extr.total"),
        QStringLiteral("Extr.arabil"), QStringLiteral("Extr.vii"),      QStringLiteral("Extr.livezi"),
        QStringLiteral("Extr.pasune"), QStringLiteral("Intr.total"),    QStringLiteral("Intr.arabil"),
        QStringLiteral("Intr.vii"),    QStringLiteral("Intr.livezi"),   QStringLiteral("Intr.pasune"),
        QStringLiteral("Neagr."),      QStringLiteral("ID Titlu"),      QStringLiteral("Titlul Nr."),
        QStringLiteral("Supr.Totala")};
    return list;
}

namespace {

std::vector<DatasetExportSource::Column> exportedColumns() {
    static const QStringList hidden = {QStringLiteral("IDANEXA"), QStringLiteral("ANEXA"), QStringLiteral("MM")};
    std::vector<DatasetExportSource::Column> columns;
    for (int i = 0; i < int(std::size(kFields)); ++i)
        if (!hidden.contains(QString::fromLatin1(kFields[i]))) columns.push_back({kFields[i], annexCaptions()[i]});
    return columns;
}

}  // namespace

const QStringList& sheetCaptions() {
    static const QStringList list = [] {
        QStringList captions;
        for (const auto& c : exportedColumns()) captions << c.caption;
        return captions;
    }();
    return list;
}

std::unique_ptr<DatasetExportSource> annexExportSource(const engine::Dataset& anex) {
    return std::make_unique<DatasetExportSource>(anex, exportedColumns(), "** NUL **");
}

}  // namespace exchange
