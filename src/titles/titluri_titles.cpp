// Titles: adding, changing and deleting them through the title dialog.
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/message_dialog.h"
#include "data/annexes.h"
#include "data/data_store.h"
#include "engine/transaction.h"
#include "titles/titlu_add_dialog.h"
#include "titles/titluri_form.h"
#include "ui/date_edit.h"
#include "ui/numeric_edit.h"

namespace {

void letPendingEventsRun() { QCoreApplication::processEvents(); }

}  // namespace

void TTitluriF::reopenTitlesAt(const QString& id) {
    letPendingEventsRun();
    Tx.close();
    letPendingEventsRun();
    Tx.open();
    letPendingEventsRun();
    Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(id.toLongLong())));
    showTitleCount();
}

void TTitluriF::TitluAddBClick() {
    TTitluAddF& d = TTitluAddF::instance();
    d.PrepareNew();
    if (!d.ExecuteAdd()) return;
    const QString id = store().NextId(QStringLiteral("IDTP"));
    runStatement({QStringLiteral("INSERT INTO \"") + tablePath(QStringLiteral("TP.dbf")) + QLatin1Char('"'),
                  QStringLiteral("(IDTP, TPNR, TPCOD, TITULAR, INSAT, DATA, SUPTOT)"),
                  QStringLiteral("VALUES ("),
                  id + QStringLiteral(",\"") + d.NrE->text() + QStringLiteral("\","),
                  d.CodE->valueText() + QLatin1Char(','),
                  QLatin1Char('"') + d.titular() + QStringLiteral("\","),
                  QLatin1Char('"') + d.SatE->currentText() + QStringLiteral("\","),
                  QLatin1Char('"') + d.dateText() + QStringLiteral("\",") + d.SupTot->text() + QLatin1Char(')')});
    reopenTitlesAt(id);
}

void TTitluriF::TitluEditBClick() {
    if (!Tx.isOpen() || Tx.isEmpty()) return;
    const QString id = QString::fromStdString(Tx.field("IDTP").asString());
    TTitluAddF& d = TTitluAddF::instance();
    d.NrE->setText(QString::fromStdString(Tx.field("TPNR").asString()));
    d.CodE->setText(QString::fromStdString(Tx.field("TPCOD").asString()));
    // A title without a date gets the date that stands for none.
    const auto date = Tx.field("DATA").asDate();
    d.DataE->setDate(date ? QDate(date->year(), date->month(), date->day()) : QDate(1900, 1, 1));
    d.MostenitoriE->clear();
    const QString holders = QString::fromStdString(Tx.field("TITULAR").asString());
    if (!holders.isEmpty()) d.MostenitoriE->setPlainText(holders);
    d.SatE->setEditText(QString::fromStdString(Tx.field("INSAT").asString()));
    d.SupTot->setText(QString::fromStdString(Tx.field("SUPTOT").asString()));
    if (!d.ExecuteEdit(id)) return;

    runStatement({QStringLiteral("UPDATE \"") + tablePath(QStringLiteral("TP.dbf")) + QLatin1Char('"'),
                  QStringLiteral("SET TPNR=\"") + d.NrE->text() + QStringLiteral("\","),
                  QStringLiteral("TPCOD=") + d.CodE->valueText() + QLatin1Char(','),
                  QStringLiteral("TITULAR=\"") + d.titular() + QStringLiteral("\","),
                  QStringLiteral("INSAT=\"") + d.SatE->currentText() + QStringLiteral("\","),
                  QStringLiteral("DATA=\"") + d.dateText() + QStringLiteral("\","),
                  QStringLiteral("SUPTOT=") + d.SupTot->text(),
                  QStringLiteral("WHERE IDTP=") + id});
    reopenTitlesAt(id);
}

void TTitluriF::TitluDeleteBClick() {
    if (!Tx.isOpen() || Tx.isEmpty()) return;
    const QString number = QString::fromStdString(Tx.field("TPNR").asString());
    if (Mesaj(QStringLiteral("Stergere Titlu"), QStringLiteral("Doriti sa stergeti titlul nr.") + number + QLatin1Char('?'),
              mkConfirmation, mbDa + mbNu) != mrDa)
        return;
    const QString id = QString::fromStdString(Tx.field("IDTP").asString());
    const bool filesShown = Tp.isOpen();
    try {
        // The title goes with its surfaces and files, or nothing goes.
        engine::Transaction unit;
        runStatement({QStringLiteral("DELETE FROM \"") + tablePath(QStringLiteral("TP.dbf")) + QLatin1Char('"'),
                      QStringLiteral("WHERE IDTP=") + id});
        letPendingEventsRun();
        runStatement({QStringLiteral("DELETE FROM \"") + tablePath(QStringLiteral("TPDET.dbf")) + QLatin1Char('"'),
                      QStringLiteral("WHERE IDTP=") + id});
        letPendingEventsRun();
        if (filesShown) {
            // Only this title's records, whatever the table showed a moment ago.
            Tp.setFilter("IDTP=" + id.toStdString());
            Tp.setFiltered(true);
            while (!Tp.isEmpty()) Tp.deleteRecord();
        }
        unit.commit();
    } catch (...) {
        // Rolled back: the files grid shows the table as it is again.
        try {
            if (filesShown) Tp.open();
        } catch (...) {
        }
        throw;
    }
    Dx.open();
    letPendingEventsRun();
    Tx.close();
    letPendingEventsRun();
    Tx.open();
    letPendingEventsRun();
    showTitleCount();
}
