// The titles view: every title, and for the current one its surfaces, their
// totals, its sums by category and its attached files.
#include <QCoreApplication>
#include <QLabel>
#include <QStackedWidget>
#include <QToolButton>

#include "data/annexes.h"
#include "data/data_store.h"
#include "engine/decimal.h"
#include "titles/no_match_key.h"
#include "titles/title_columns.h"
#include "titles/titluri_form.h"

namespace {

void letPendingEventsRun() { QCoreApplication::processEvents(); }

}  // namespace

void TTitluriF::showTitlesView() {
    data::setStatement(Dx, {QStringLiteral("SELECT * FROM \"") + tablePath(QStringLiteral("TPDET.dbf")) + QLatin1Char('"'),
                            QStringLiteral("ORDER BY IDTP, CATEG, IDDET")});
    Dx.open();
    letPendingEventsRun();
    Tp.setTableName(tablePath(QStringLiteral("Fisiere.dbf")).toStdString());
    Tp.open();
    letPendingEventsRun();
    Tx.setFiltered(false);
    TxAfterScroll();
    views_->setCurrentWidget(titlesView_);
    showTitleCount();
}

void TTitluriF::showTitleCount() {
    if (views_->currentWidget() == titlesView_) TotalLab->setText(QString::number(Tx.recordCount()));
}

void TTitluriF::TxAfterScroll() {
    if (!Dx.isOpen()) return;
    if (++BusyCount > 1) return;

    const bool hasTitle = Tx.isOpen() && !Tx.isEmpty() && !Tx.field("IDTP").isNull();
    const std::string key = hasTitle ? Tx.field("IDTP").asString() : titles::kNoMatchKey;
    bool suspended = false;
    try {
        Dx.setFilter("IDTP=" + key);
        Dx.setFiltered(true);
        letPendingEventsRun();
        Tp.setFilter("IDTP=" + key);
        Tp.setFiltered(true);
        letPendingEventsRun();

        Dx.disableControls();
        suspended = true;
        const bool hasFiles = Tp.isOpen() && !Tp.isEmpty();
        PozaShowB->setEnabled(hasFiles);
        PozaDelB->setEnabled(hasFiles);
        PozaAddB->setEnabled(hasTitle);
        SupAddB->setEnabled(hasTitle);
        for (QToolButton* b : {SupEditB, SupDeleteB, TitluEditB, TitluDeleteB}) b->setEnabled(SupAddB->isEnabled());
        TitluAddB->setEnabled(true);

        ToX.close();
        if (hasTitle) {
            data::setStatement(ToX, {QStringLiteral("SELECT CATEG, SUM(SUPRAF) AS TOT"),
                                     QStringLiteral("FROM \"") + tablePath(QStringLiteral("TPDET.dbf")) + QLatin1Char('"'),
                                     QStringLiteral("WHERE IDTP=") + QString::fromStdString(key),
                                     QStringLiteral("GROUP BY CATEG")});
            ToX.open();
            letPendingEventsRun();
        }

        engine::Decimal extravilan;
        engine::Decimal intravilan;
        const int type = Dx.fieldIndex("TIP");
        const int area = Dx.fieldIndex("SUPRAF");
        for (Dx.first(); !Dx.eof(); Dx.next()) {
            if (Dx.field(type).asString() == "INTRAVILAN")
                intravilan += Dx.field(area).asDecimal();
            else
                extravilan += Dx.field(area).asDecimal();
        }
        ExtravilanLab->setText(QString::fromStdString(extravilan.toFixed(4)));
        IntravilanLab->setText(QString::fromStdString(intravilan.toFixed(4)));
        GeneralLab->setText(QString::fromStdString((extravilan + intravilan).toFixed(4)));
        Dx.enableControls();
    } catch (...) {
        if (suspended) Dx.enableControls();
        BusyCount = 0;
        throw;
    }

    const int asked = BusyCount;
    BusyCount = 0;
    if (asked > 1) TxAfterScroll();
}

void TTitluriF::TxCalcFields(engine::CalcRow& row) { titles::fillShownDate(row); }
