#pragma once

#include <QString>

#include "engine/query.h"
#include "titles/entry_dialog.h"

class QLineEdit;
class QPushButton;

namespace ui {
class DataGrid;
}

// The choose-title dialog: the titles that belong to no annex line, in a
// grid the user can sort by any column and narrow by the beginning of the
// number; the chosen title's IDTP is the result.
class TAlegeTitluF : public titles::EntryDialog {
    Q_OBJECT

public:
    explicit TAlegeTitluF(QWidget* parent = nullptr);
    ~TAlegeTitluF() override;

    // The one dialog of the run (created on first use when start-up did not).
    static TAlegeTitluF& instance();

    // Lists the free titles by holder, with no number filter, and shows the
    // dialog modally; the IDTP of the title chosen, empty when none was.
    QString ChooseTitle();
    // "&Alege": the current title, or "Nu aveti ce alege!" when none is
    // listed; closes either way.
    void LbButton1Click();
    // "&Renunt": closes with nothing chosen.
    void LbButton2Click();
    // Lists only the titles whose number begins with the typed text.
    void TPNrXChange();
    // Sorts by the column's field, keeping the current title and the filter.
    void SMDBGrid4TitleClick(const QString& field);

    // The free titles: line 2 holds the sort clause.
    engine::Query Tx;
    QString ChosenId;

    ui::DataGrid* SMDBGrid4;
    QLineEdit* TPNrX;
    QPushButton* LbButton1;  // "&Alege"
    QPushButton* LbButton2;  // "&Renunt"

protected:
    bool handleKey(QWidget* focused, int key) override;

private:
    static TAlegeTitluF* instance_;
};
