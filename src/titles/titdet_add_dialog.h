#pragma once

#include <vector>

#include <QString>

#include "titles/entry_dialog.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace ui {
class NumericEdit;
}

// The surface dialog: land type and category, plot, parcel and lot, area,
// neighbours, remark and dimensions of one TPDET row. It keeps its values
// between uses, so a new surface starts from the last one; the form fills it
// for a change, runs ExecuteAdd or ExecuteEdit and reads it back.
class TTitDetAddF : public titles::EntryDialog {
    Q_OBJECT

public:
    static const QString kExtravilan;  // "EXTRAVILAN"
    static const QString kIntravilan;  // "INTRAVILAN"

    explicit TTitDetAddF(QWidget* parent = nullptr);
    ~TTitDetAddF() override;

    // The one dialog of the run (created on first use when start-up did not).
    static TTitDetAddF& instance();

    // Show the dialog modally under the heading of a new or a changed
    // surface; Confirmed when it closes.
    bool ExecuteAdd();
    bool ExecuteEdit();
    // "&Memoreaza": wants a plot, a parcel of 1 or more and an area above 0
    // (a balloon at the first missing one leaves the dialog open), cleans
    // the texts, writes the dimensions in their shortest form and accepts.
    void MemoBClick();
    // The user chose a land type: the sixth category follows it and the
    // category goes back to "Arabil".
    void TipCChange();

    // Shows a stored surface's type and category: the type's entry, the sixth
    // category of that type (the category is not reset) and the category's
    // entry. A category the list does not hold is offered as an entry of
    // its own until the next surface is shown, so a change keeps it.
    void selectTypeAndCategory(const QString& tip, const QString& categ);

    QComboBox* TipC;
    QComboBox* CategC;
    QLineEdit* TarlaNrE;
    ui::NumericEdit* ParcelaNrE;
    QLineEdit* LotNrE;
    ui::NumericEdit* SuprafE;
    QLineEdit* VecinNE;
    QLineEdit* VecinEE;
    QLineEdit* VecinSE;
    QLineEdit* VecinVE;
    QLineEdit* ObsE;
    ui::NumericEdit* LungE;
    ui::NumericEdit* LatE;
    QLineEdit* DetE;
    QPushButton* MemoB;    // "&Memoreaza"
    QPushButton* RenuntB;  // "&Renunt"

protected:
    bool handleKey(QWidget* focused, int key) override;

private:
    bool execute(const QString& heading);
    // Esc closes unconfirmed.
    bool FormKeyDown(int key);
    // Enter in any input control moves on; in the remark it then presses "&Memoreaza".
    bool TipCKeyDown(QWidget* control, int key);
    void setSixthCategory(const QString& tip);

    static TTitDetAddF* instance_;
    std::vector<QWidget*> inputs_;
};
