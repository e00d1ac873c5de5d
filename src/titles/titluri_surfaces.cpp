// Surfaces of the current title: adding, changing and deleting them through
// the surface dialog. Every change ends with the title's totals worked out again.
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>

#include "app/message_dialog.h"
#include "data/data_store.h"
#include "titles/titdet_add_dialog.h"
#include "titles/titluri_form.h"
#include "ui/numeric_edit.h"

namespace {

void letPendingEventsRun() { QCoreApplication::processEvents(); }

engine::Value identifier(const QString& id) {
    return engine::Value::number(engine::Decimal::fromInt(id.toLongLong()));
}

}  // namespace

void TTitluriF::reopenSurfaces() {
    letPendingEventsRun();
    Dx.close();
    letPendingEventsRun();
    Dx.open();
    letPendingEventsRun();
    TxAfterScroll();
}

void TTitluriF::SupAddBClick() {
    if (!Tx.isOpen() || Tx.isEmpty()) return;
    const QString idtp = QString::fromStdString(Tx.field("IDTP").asString());
    TTitDetAddF& d = TTitDetAddF::instance();
    // The dialog starts from the surface last entered: several parcels of
    // one plot are entered quickly.
    if (!d.ExecuteAdd()) return;
    const QString iddet = store().NextId(QStringLiteral("IDDET"));
    const auto quoted = [](const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); };
    runStatement({QStringLiteral("INSERT INTO \"") + tablePath(QStringLiteral("TPDET.dbf")) + QLatin1Char('"'),
                  QStringLiteral("(IDTP, IDDET, TIP, CATEG, NRTARLA, PARCELA, LOT,SUPRAF,VECN,VECE,VECS,VECV,OBS,LUNG,"
                                 "LAT,COMENT)"),
                  QStringLiteral("VALUES("),
                  idtp + QLatin1Char(',') + iddet + QLatin1Char(',') + quoted(d.TipC->currentText()) + QLatin1Char(','),
                  quoted(d.CategC->currentText()) + QLatin1Char(','),
                  quoted(d.TarlaNrE->text()) + QLatin1Char(',') + d.ParcelaNrE->text() + QLatin1Char(',') +
                      quoted(d.LotNrE->text()) + QLatin1Char(','),
                  d.SuprafE->text() + QLatin1Char(','),
                  quoted(d.VecinNE->text()) + QLatin1Char(','),
                  quoted(d.VecinEE->text()) + QLatin1Char(','),
                  quoted(d.VecinSE->text()) + QLatin1Char(','),
                  quoted(d.VecinVE->text()) + QLatin1Char(','),
                  quoted(d.ObsE->text()) + QStringLiteral(" ,"),
                  d.LungE->text() + QLatin1Char(','),
                  d.LatE->text() + QLatin1Char(','),
                  quoted(d.DetE->text()) + QLatin1Char(')')});
    reopenSurfaces();
    Dx.locate("IDDET", identifier(iddet));
}

void TTitluriF::SupEditBClick() {
    if (!Dx.isOpen() || Dx.isEmpty()) return;
    const QString iddet = QString::fromStdString(Dx.field("IDDET").asString());
    const auto value = [this](const char* field) { return QString::fromStdString(Dx.field(field).asString()); };
    TTitDetAddF& d = TTitDetAddF::instance();
    d.selectTypeAndCategory(value("TIP"), value("CATEG"));
    letPendingEventsRun();
    d.TarlaNrE->setText(value("NRTARLA"));
    d.ParcelaNrE->setText(value("PARCELA"));
    d.LotNrE->setText(value("LOT"));
    d.SuprafE->setText(value("SUPRAF"));
    d.VecinNE->setText(value("VECN"));
    d.VecinEE->setText(value("VECE"));
    d.VecinSE->setText(value("VECS"));
    d.VecinVE->setText(value("VECV"));
    d.ObsE->setText(value("OBS"));
    d.LungE->setText(value("LUNG"));
    d.LatE->setText(value("LAT"));
    d.DetE->setText(value("COMENT"));
    if (!d.ExecuteEdit()) return;

    runStatement({QStringLiteral("UPDATE \"") + tablePath(QStringLiteral("TPDET.DBF")) + QLatin1Char('"'),
                  QStringLiteral("SET TIP=\"") + d.TipC->currentText() + QStringLiteral("\","),
                  QStringLiteral("CATEG=\"") + d.CategC->currentText() + QStringLiteral("\","),
                  QStringLiteral("NRTARLA=\"") + d.TarlaNrE->text() + QStringLiteral("\","),
                  QStringLiteral("PARCELA=") + d.ParcelaNrE->text() + QLatin1Char(','),
                  QStringLiteral("LOT=\"") + d.LotNrE->text() + QStringLiteral("\","),
                  QStringLiteral("SUPRAF=") + d.SuprafE->text() + QLatin1Char(','),
                  QStringLiteral("VECN=\"") + d.VecinNE->text() + QStringLiteral("\","),
                  QStringLiteral("VECE=\"") + d.VecinEE->text() + QStringLiteral("\","),
                  QStringLiteral("VECS=\"") + d.VecinSE->text() + QStringLiteral("\","),
                  QStringLiteral("VECV=\"") + d.VecinVE->text() + QStringLiteral("\","),
                  QStringLiteral("OBS=\"") + d.ObsE->text() + QStringLiteral("\","),
                  QStringLiteral("LUNG=") + d.LungE->text() + QLatin1Char(','),
                  QStringLiteral("LAT=") + d.LatE->text() + QLatin1Char(','),
                  QStringLiteral("COMENT=\"") + d.DetE->text() + QLatin1Char('"'),
                  QStringLiteral("WHERE IDDET=") + iddet});
    reopenSurfaces();
    Dx.locate("IDDET", identifier(iddet));
}

void TTitluriF::SupDeleteBClick() {
    if (!Dx.isOpen() || Dx.isEmpty()) return;
    const auto value = [this](const char* field) { return QString::fromStdString(Dx.field(field).asString()); };
    if (Mesaj(QStringLiteral("Stergere Suprafata"),
              QStringLiteral("Doriti sa stergeti Suprafata de pe parcela : ") + value("PARCELA") + QLatin1Char('/') +
                  value("LOT") + QLatin1Char('?'),
              mkConfirmation, mbDa + mbNu) != mrDa)
        return;
    runStatement({QStringLiteral("DELETE FROM \"") + tablePath(QStringLiteral("TPDET.dbf")) + QLatin1Char('"'),
                  QStringLiteral("WHERE IDDET=") + value("IDDET")});
    reopenSurfaces();
}
