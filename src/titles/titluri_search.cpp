// Title search by holder and number, and sorting the titles and annex grids
// by a header click. Each writes only its own line of its query.
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "data/text_routines.h"
#include "titles/title_columns.h"
#include "titles/titluri_form.h"
#include "ui/data_grid.h"

namespace {

void letPendingEventsRun() { QCoreApplication::processEvents(); }

constexpr int kTitlesConditionLine = 1;
constexpr int kTitlesOrderLine = 2;
constexpr int kAnnexOrderLine = 9;

}  // namespace

void TTitluriF::connectSearchCommands() {
    connect(TitluSearchB, &QToolButton::clicked, this, &TTitluriF::TitluSearchBClick);
    connect(TitluClearB, &QToolButton::clicked, this, &TTitluriF::TitluClearBClick);
    connect(MostSrc, &QLineEdit::returnPressed, this, [this] { MostSrcKeyDown(Qt::Key_Return); });
    connect(TitluSrc, &QLineEdit::returnPressed, this, [this] { TitluSrcKeyDown(Qt::Key_Return); });
    connect(SMDBGrid1, &ui::DataGrid::titleClicked, this, &TTitluriF::SMDBGrid1TitleClick);
    connect(SMDBGrid3, &ui::DataGrid::titleClicked, this, &TTitluriF::SMDBGrid3TitleClick);
}

void TTitluriF::TitluSearchBClick() {
    QString conditions;
    // A double quote would end the text literal early: it is dropped.
    MostSrc->setText(MostSrc->text().trimmed().remove(QLatin1Char('"')));
    if (!MostSrc->text().isEmpty())
        conditions = QStringLiteral("(TITULAR LIKE \"%") + MostSrc->text() + QStringLiteral("%\")");
    TitluSrc->setText(data::CleanText(TitluSrc->text()));
    if (!TitluSrc->text().isEmpty())
        conditions += QStringLiteral("(TPNR LIKE \"") + TitluSrc->text() + QStringLiteral("%\")");
    conditions = data::JoinConditions(conditions);
    const QString where = conditions.isEmpty() ? QString() : QStringLiteral("WHERE ") + conditions;

    Tx.close();
    Tx.setLine(kTitlesConditionLine, where.toStdString());
    letPendingEventsRun();
    Tx.open();
    letPendingEventsRun();
    TxAfterScroll();
    showTitleCount();
}

void TTitluriF::TitluClearBClick() {
    Tx.setLine(kTitlesConditionLine, " ");
    letPendingEventsRun();
    Tx.open();
    showTitleCount();
}

bool TTitluriF::MostSrcKeyDown(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    TitluSrc->setFocus();
    return true;
}

bool TTitluriF::TitluSrcKeyDown(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    TitluSearchB->click();
    return true;
}

void TTitluriF::SMDBGrid1TitleClick(const QString& field) {
    const bool remember = Tx.isOpen() && !Tx.isEmpty();
    const engine::Value current = remember ? Tx.field("IDTP").value() : engine::Value();
    const QString sortField = titles::sortFieldOf(field);
    Tx.setLine(kTitlesOrderLine, (QStringLiteral("ORDER BY ") + sortField).toStdString());
    letPendingEventsRun();
    Tx.open();
    if (remember) Tx.locate("IDTP", current);
}

void TTitluriF::SMDBGrid3TitleClick(const QString& field) {
    if (Anex.recordCount() < 2) return;
    const engine::Value current = Anex.field("IDANEXA").value();
    Anex.setLine(kAnnexOrderLine, (QStringLiteral("ORDER BY ") + field).toStdString());
    letPendingEventsRun();
    Anex.open();
    Anex.locate("IDANEXA", current);
}
