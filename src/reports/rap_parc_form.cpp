#include "reports/rap_parc_form.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

#include "data/annexes.h"
#include "titles/annex_lists.h"
#include "ui/data_grid.h"
#include "ui/numeric_edit.h"

TRapParcF::TRapParcF(QWidget* parent)
    : ReportForm(QStringLiteral("RAPORT PE PARCELA"), QStringLiteral("Total titluri"), parent) {
    setObjectName(QStringLiteral("RapParcF"));

    SatBox = filterList(QStringLiteral("SatBox"));
    TarlaBox = filterList(QStringLiteral("TarlaBox"));
    NrTarlaE = filterText(QStringLiteral("NrTarlaE"), 16);
    ParcelaNr = parcelBox();
    setFilterPanel({
        {{QStringLiteral("Satul"), SatBox}, {QStringLiteral("Denumire tarla"), TarlaBox}},
        {{QStringLiteral("Numar tarla"), NrTarlaE}, {QStringLiteral("Parcela"), ParcelaNr}},
    });

    SMDBGrid3->setColumns({
        {QStringLiteral("NRC"), QStringLiteral("Nr. crt."), true, {}, {}, 65},
        {QStringLiteral("ANEXA"), QStringLiteral("Anexa"), true, {}, {}, 120},
        {QStringLiteral("TPNR"), QStringLiteral("Titlul Nr."), true, Qt::AlignRight | Qt::AlignVCenter, {}, 90},
        {QStringLiteral("TOT"), QStringLiteral("Suprafata"), true, {}, QStringLiteral("0.0000"), 100},
        {QStringLiteral("TITULAR"), QStringLiteral(" Titulari"), true, {}, {}, 560},
    });
}

QStringList TRapParcF::exportCaptions() const {
    return {QStringLiteral("Nr. Crt."), QStringLiteral("Anexa"), QStringLiteral("Titlul Nr."),
            QStringLiteral("Suprafata"), QStringLiteral("Titulari")};
}

QStringList TRapParcF::reportStatement() const {
    return {QStringLiteral("SELECT T.TITULAR, T.IDTP, T.IDANEXA, T.INSAT, T.ANEXA, T.TPNR, SUM(D.SUPRAF) AS TOT"),
            QStringLiteral("FROM \"") + tablePath(QStringLiteral("TPDET.dbf")) + QStringLiteral("\" D"),
            QStringLiteral("LEFT JOIN \"") + tablePath(QStringLiteral("TP.dbf")) + QStringLiteral("\" T"),
            QStringLiteral("ON T.IDTP=D.IDTP"),
            QStringLiteral(" "),
            QStringLiteral(" "),
            QStringLiteral("GROUP BY T.IDTP,T.INSAT, T.IDANEXA, T.TPNR, T.TITULAR, T.ANEXA"),
            QStringLiteral("ORDER BY T.TPNR")};
}

void TRapParcF::prepareFilters() {
    fillList(SatBox, QStringLiteral("TP.dbf"), QStringLiteral("INSAT"));
    titles::sortFilterItems(SatBox);
    fillList(TarlaBox, QStringLiteral("TPDET.dbf"), QStringLiteral("OBS"));
    titles::sortFilterItems(TarlaBox);
    NrTarlaE->clear();
    ParcelaNr->setText(QStringLiteral("0"));
}

void TRapParcF::resetFilters() {
    SatBox->setCurrentIndex(0);
    TarlaBox->setCurrentIndex(0);
    NrTarlaE->clear();
    ParcelaNr->clear();
    QCoreApplication::processEvents();
}

std::vector<TRapParcF::SetFilter> TRapParcF::setFilters() const {
    std::vector<SetFilter> out;
    // A list restricts when it shows anything but " * toate *".
    const auto list = [&out](const QComboBox* box, const QString& field, const QString& caption) {
        if (box->currentText() != data::kAllValues) out.push_back(equalTo(field, caption, box->currentText()));
    };
    list(SatBox, QStringLiteral("INSAT"), QStringLiteral("Satul"));
    list(TarlaBox, QStringLiteral("OBS"), QStringLiteral("Denumire tarla"));
    addPlotNumber(out, NrTarlaE);
    addParcel(out, ParcelaNr);
    return out;
}

reports::RegisterKey TRapParcF::registerKey() const {
    reports::RegisterKey key;
    key.village = SatBox->currentText();
    key.plotName = TarlaBox->currentText();
    key.plotNumber = NrTarlaE->text();
    key.parcel = ParcelaNr->value();
    key.annex = data::kAllValues;
    key.type = data::kAllValues;
    key.category = data::kAllValues;
    return key;
}

QString TRapParcF::registerDialogText() const { return TotalLab->text(); }
