// Linking titles to annex lines: attach a free title, issue a new one for the
// line, show the line's title among all titles, take a title out of its line.
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>

#include "app/message_dialog.h"
#include "app/startup_window.h"
#include "data/annexes.h"
#include "data/data_store.h"
#include "engine/decimal.h"
#include "titles/alege_titlu_dialog.h"
#include "titles/titlu_add_dialog.h"
#include "titles/titluri_form.h"
#include "ui/data_grid.h"
#include "ui/numeric_edit.h"

namespace {

void letPendingEventsRun() { QCoreApplication::processEvents(); }

engine::Value identifier(const QString& text) {
    return engine::Value::number(engine::Decimal::parse(text.toStdString()).value_or(engine::Decimal()));
}

QString currentText(const engine::Dataset& ds, const char* field) {
    return QString::fromStdString(ds.field(field).asString());
}

}  // namespace

void TTitluriF::connectLinkingSearchAndFiles() {
    connect(LbSpeedButton4, &QToolButton::clicked, this, &TTitluriF::LbSpeedButton4Click);
    connect(LbSpeedButton5, &QToolButton::clicked, this, &TTitluriF::LbSpeedButton5Click);
    connect(LbSpeedButton6, &QToolButton::clicked, this, &TTitluriF::LbSpeedButton6Click);
    connect(LbSpeedButton1, &QToolButton::clicked, this, &TTitluriF::LbSpeedButton1Click);
    connectSearchCommands();
    setUpFileCommands();
}

void TTitluriF::LbSpeedButton4Click() {
    if (!Anex.isOpen() || Anex.isEmpty()) {
        TForm1::instance().ShowProblem(QStringLiteral("Alegeti mai intai o linie din anexa!"), SMDBGrid3);
        return;
    }
    const QString key = currentText(Anex, "IDANEXA");
    const QString chosen = TAlegeTitluF::instance().ChooseTitle();
    if (chosen.isEmpty()) return;
    runStatement({QStringLiteral("UPDATE \"") + tablePath(QStringLiteral("TP.dbf")) + QLatin1Char('"'),
                  QStringLiteral("SET ANEXA=\"") + data::AnnexNames()[page_] + QStringLiteral("\","),
                  QStringLiteral("IDANEXA=") + key, QStringLiteral("WHERE IDTP=") + chosen});
    reopenLineWithTitles(key, chosen);
}

void TTitluriF::reopenLineWithTitles(const QString& lineId, const QString& titleId) {
    letPendingEventsRun();
    Anex.close();
    letPendingEventsRun();
    Tx.close();
    Tx.open();
    letPendingEventsRun();
    // The same statement as before: the list keeps its filters and order.
    Anex.open();
    letPendingEventsRun();
    Anex.locate("IDANEXA", identifier(lineId));
    if (titleId.isEmpty()) return;
    letPendingEventsRun();
    Tx.locate("IDTP", identifier(titleId));
}

void TTitluriF::LbSpeedButton5Click() {
    if (!Anex.isOpen() || Anex.isEmpty() || Anex.field("IDANEXA").asInteger() <= 0) {
        TForm1::instance().ShowProblem(QStringLiteral("Introduceti mai intai o linie la anexa!"), LbSpeedButton5);
        return;
    }
    const QString key = currentText(Anex, "IDANEXA");
    TTitluAddF& dialog = TTitluAddF::instance();
    dialog.PrepareNew();
    const QString name = currentText(Anex, "NUME");
    const QString heirs = currentText(Anex, "MOSTEN");
    if (!name.isEmpty()) dialog.MostenitoriE->appendPlainText(name);
    if (!heirs.isEmpty()) dialog.MostenitoriE->appendPlainText(heirs);
    dialog.SatE->setEditText(currentText(Anex, "SATUL"));
    if (!dialog.ExecuteAdd()) return;

    const QString id = store().NextId(QStringLiteral("IDTP"));
    runStatement({QStringLiteral("INSERT INTO \"") + tablePath(QStringLiteral("TP.dbf")) + QLatin1Char('"'),
                  QStringLiteral("(IDTP, TPNR, TPCOD, TITULAR, INSAT,DATA, ANEXA, IDANEXA, SUPTOT)"),
                  QStringLiteral("VALUES ("),
                  id + QStringLiteral(",\"") + dialog.NrE->text() + QStringLiteral("\","),
                  dialog.CodE->valueText() + QLatin1Char(','),
                  QLatin1Char('"') + dialog.titular() + QStringLiteral("\","),
                  QLatin1Char('"') + dialog.SatE->currentText() + QStringLiteral("\","),
                  QLatin1Char('"') + dialog.dateText() + QStringLiteral("\","),
                  QLatin1Char('"') + data::AnnexNames()[page_] + QStringLiteral("\","),
                  key + QLatin1Char(','),
                  dialog.SupTot->text() + QLatin1Char(')')});
    reopenLineWithTitles(key, id);
}

void TTitluriF::LbSpeedButton6Click() {
    if (!Tx.isOpen() || Tx.isEmpty()) {
        TForm1::instance().ShowProblem(QStringLiteral("Nu ati selectat nici un titlu!"), SMDBGrid4);
        return;
    }
    const engine::Value id = Tx.field("IDTP").value();
    ListView1->setCurrentRow(data::kTitlesViewIndex);
    letPendingEventsRun();
    Tx.locate("IDTP", id);
}

void TTitluriF::LbSpeedButton1Click() {
    if (!Tx.isOpen() || Tx.isEmpty()) {
        TForm1::instance().ShowProblem(QStringLiteral("Nu exista nici un titlu de scos!"), SMDBGrid4);
        return;
    }
    if (Mesaj(QStringLiteral("Scoate titlu"), QStringLiteral("Doriti sa scoateti titlul afisat din anexa?"),
              mkConfirmation, mbDa + mbNu) != mrDa)
        return;
    const QString id = currentText(Tx, "IDTP");
    const QString line = currentText(Anex, "IDANEXA");
    Tx.close();
    letPendingEventsRun();
    try {
        runStatement({QStringLiteral("UPDATE \"") + tablePath(QStringLiteral("TP.dbf")) + QLatin1Char('"'),
                      QStringLiteral("SET ANEXA=\"\", IDANEXA=-1"), QStringLiteral("WHERE IDTP=") + id});
    } catch (...) {
        // The line's titles stay listed whatever the statement did.
        Tx.open();
        throw;
    }
    reopenLineWithTitles(line, QString());
}
