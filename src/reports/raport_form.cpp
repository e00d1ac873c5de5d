#include "reports/raport_form.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

#include "data/annexes.h"
#include "titles/annex_lists.h"
#include "ui/data_grid.h"
#include "ui/numeric_edit.h"

namespace {

void letPendingEventsRun() { QCoreApplication::processEvents(); }

}  // namespace

TRaportF::TRaportF(QWidget* parent)
    : ReportForm(QStringLiteral("RAPORT GENERAL"), QStringLiteral("Total linii"), parent) {
    setObjectName(QStringLiteral("RaportF"));

    SatBox = filterList(QStringLiteral("SatBox"));
    TitularE = filterText(QStringLiteral("TitularE"), 40);
    TarlaBox = filterList(QStringLiteral("TarlaBox"));
    NrTarlaE = filterText(QStringLiteral("NrTarlaE"), 16);
    ParcelaNr = parcelBox();
    LotNr = filterText(QStringLiteral("LotNr"), 16);
    AnexaC = filterList(QStringLiteral("AnexaC"));
    TipC = filterList(QStringLiteral("TipC"));
    CategC = filterList(QStringLiteral("CategC"));
    TipC->addItems({data::kAllValues, QStringLiteral("EXTRAVILAN"), QStringLiteral("INTRAVILAN")});
    setFilterPanel({
        {{QStringLiteral("Satul"), SatBox}, {QStringLiteral("Titular"), TitularE}, {QStringLiteral("Denumire tarla"), TarlaBox}},
        {{QStringLiteral("Numar tarla"), NrTarlaE}, {QStringLiteral("Parcela"), ParcelaNr}, {QStringLiteral("Lotul"), LotNr}},
        {{QStringLiteral("Anexa"), AnexaC}, {QStringLiteral("TIP"), TipC}, {QStringLiteral("Categoria"), CategC}},
    });

    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;
    SMDBGrid3->setColumns({
        {QStringLiteral("NRC"), QStringLiteral("Nr.crt."), true, {}, {}, 60},
        {QStringLiteral("INSAT"), QStringLiteral("Satul"), true, {}, {}, 110},
        {QStringLiteral("ANEXA"), QStringLiteral("Anexa"), true, {}, {}, 100},
        {QStringLiteral("TITULAR"), QStringLiteral("Titulari"), true, {}, {}, 230},
        {QStringLiteral("TPNR"), QStringLiteral("Titlul Nr."), true, Qt::AlignRight | Qt::AlignVCenter, {}, 70},
        {QStringLiteral("TIP"), QStringLiteral("Tip"), true, {}, {}, 90},
        {QStringLiteral("CATEG"), QStringLiteral("Categoria"), true, {}, {}, 120},
        {QStringLiteral("OBS"), QStringLiteral("Denumire tarla"), true, {}, {}, 130},
        {QStringLiteral("NRTARLA"), QStringLiteral("Tarla nr."), true, centred, {}, 65},
        {QStringLiteral("PARCELA"), QStringLiteral("Parcela"), true, centred, {}, 60},
        {QStringLiteral("LOT"), QStringLiteral("Lotul"), true, centred, {}, 50},
        {QStringLiteral("SUPRAF"), QStringLiteral("Supra- fata"), true, {}, QStringLiteral("0.0000"), 80},
        // Lengths and widths show four decimals, as the areas do.
        {QStringLiteral("LUNG"), QStringLiteral("Lungime"), true, {}, QStringLiteral("0.0000"), 65},
        {QStringLiteral("LAT"), QStringLiteral("Latime"), true, {}, QStringLiteral("0.0000"), 65},
        {QStringLiteral("COMENT"), QStringLiteral("Detalii"), true, {}, {}, 120},
    });
}

QStringList TRaportF::exportCaptions() const {
    return {QStringLiteral("Nr. Crt."), QStringLiteral("Satul"), QStringLiteral("Anexa"),
            QStringLiteral("Titulari"), QStringLiteral("Titlul Nr."), QStringLiteral("Tip"),
            QStringLiteral("Categoria"), QStringLiteral("Denumire tarla"), QStringLiteral("Tarla Nr."),
            QStringLiteral("Parcela"), QStringLiteral("Lotul"), QStringLiteral("Suprafata")};
}

QStringList TRaportF::reportStatement() const {
    return {QStringLiteral("SELECT T.ANEXA, T.IDTP, T.IDANEXA, T.INSAT, T.TITULAR, T.TPNR,"),
            QStringLiteral("D.TIP, D.CATEG, D.NRTARLA, D.PARCELA, D.SUPRAF, D.OBS, D.LOT, D.LUNG, D.LAT, D.COMENT"),
            QStringLiteral("FROM \"") + tablePath(QStringLiteral("TPDET.dbf")) + QStringLiteral("\" D"),
            QStringLiteral("LEFT JOIN \"") + tablePath(QStringLiteral("TP.dbf")) + QStringLiteral("\" T"),
            QStringLiteral("ON T.IDTP=D.IDTP"),
            QStringLiteral(" "),
            QStringLiteral(" "),
            QStringLiteral("ORDER BY T.TITULAR")};
}

void TRaportF::prepareFilters() {
    const struct {
        QComboBox* box;
        const char* table;
        const char* field;
    } lists[] = {{SatBox, "TP.dbf", "INSAT"},
                 {TarlaBox, "TPDET.dbf", "OBS"},
                 {AnexaC, "TP.dbf", "ANEXA"},
                 {CategC, "TPDET.dbf", "CATEG"}};
    for (const auto& l : lists) {
        fillList(l.box, QLatin1String(l.table), QLatin1String(l.field));
        titles::sortFilterItems(l.box);
    }
    TitularE->clear();
    NrTarlaE->clear();
    ParcelaNr->setText(QStringLiteral("0"));
}

void TRaportF::resetFilters() {
    SatBox->setCurrentIndex(0);
    TarlaBox->setCurrentIndex(0);
    TitularE->clear();
    NrTarlaE->clear();
    ParcelaNr->clear();
    LotNr->clear();
    letPendingEventsRun();
    for (QComboBox* box : {AnexaC, TipC, CategC}) {
        box->setCurrentIndex(0);
        letPendingEventsRun();
    }
}

std::vector<TRaportF::SetFilter> TRaportF::setFilters() const {
    std::vector<SetFilter> out;
    const auto list = [&out](const QComboBox* box, const QString& field, const QString& caption) {
        if (box->currentIndex() > 0) out.push_back(equalTo(field, caption, box->currentText()));
    };
    list(SatBox, QStringLiteral("INSAT"), QStringLiteral("Satul"));
    // Blanks alone restrict nothing; otherwise the text goes in untrimmed.
    if (!TitularE->text().trimmed().isEmpty())
        out.push_back({QStringLiteral("(TITULAR LIKE \"%") + literal(TitularE->text()) + QStringLiteral("%\")"),
                       QStringLiteral("Titular (contine): ") + TitularE->text()});
    list(TarlaBox, QStringLiteral("OBS"), QStringLiteral("Denumire tarla"));
    addPlotNumber(out, NrTarlaE);
    addParcel(out, ParcelaNr);
    if (!LotNr->text().isEmpty())
        out.push_back({QStringLiteral("(LOT LIKE \"") + literal(LotNr->text()) + QStringLiteral("%\")"),
                       QStringLiteral("Lotul (incepe cu): ") + LotNr->text()});
    list(AnexaC, QStringLiteral("ANEXA"), QStringLiteral("Anexa"));
    list(TipC, QStringLiteral("TIP"), QStringLiteral("TIP"));
    list(CategC, QStringLiteral("CATEG"), QStringLiteral("Categoria"));
    return out;
}

reports::RegisterKey TRaportF::registerKey() const {
    reports::RegisterKey key;
    key.village = SatBox->currentText();
    key.holder = TitularE->text();
    key.plotName = TarlaBox->currentText();
    key.plotNumber = NrTarlaE->text();
    key.parcel = ParcelaNr->value();
    key.lot = LotNr->text();
    key.annex = AnexaC->currentText();
    key.type = TipC->currentText();
    key.category = CategC->currentText();
    return key;
}

QString TRaportF::registerDialogText() const { return RegisterLab->text(); }
