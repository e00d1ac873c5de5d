#pragma once

#include <QString>

#include "engine/query.h"
#include "titles/entry_dialog.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ui {
class DateEdit;
class NumericEdit;
}

// The title dialog: number, code, date, holders (one per line), village and
// the total surface of one TP row. The form prepares or fills it, runs
// ExecuteAdd or ExecuteEdit and, on a true return, reads it back; the dialog
// only reads the titles, to warn of a number already in use.
class TTitluAddF : public titles::EntryDialog {
    Q_OBJECT

public:
    explicit TTitluAddF(QWidget* parent = nullptr);
    ~TTitluAddF() override;

    // The one dialog of the run (created on first use when start-up did not).
    static TTitluAddF& instance();

    // Empties number, code and holders, dates the title today and reloads the
    // villages of the stored titles, the first one chosen. The total surface
    // stays as last entered.
    void PrepareNew();
    // Shows the dialog modally for a new title; Confirmed when it closes.
    bool ExecuteAdd();
    // The same for the title of that IDTP, which the number check leaves out.
    bool ExecuteEdit(const QString& idtp);
    // "&Memoreaza": cleans number and village, wants a village, asks before a
    // number another title bears, writes the total surface in its shortest
    // form and accepts.
    void MemoBClick();

    // The holders as stored: the lines joined by "; ", letters a to z in capitals.
    QString titular() const;
    // The date as a statement writes it, dd.MM.yyyy.
    QString dateText() const;
    // The duplicate-number count of the last check.
    const engine::Query& numberCheck() const { return numberCheck_; }

    // IDTP of the title being changed; empty for a new one.
    QString EditedId;

    QLineEdit* NrE;
    ui::NumericEdit* CodE;
    ui::DateEdit* DataE;
    QPlainTextEdit* MostenitoriE;
    QComboBox* SatE;
    ui::NumericEdit* SupTot;
    QPushButton* MemoB;    // "&Memoreaza"
    QPushButton* RenuntB;  // "&Renunt"

protected:
    bool handleKey(QWidget* focused, int key) override;

private:
    bool execute(const QString& heading);
    // Esc closes unconfirmed.
    bool FormKeyDown(int key);
    // Enter in number, code, date, village and surface moves on; in the
    // surface it then presses "&Memoreaza".
    bool EnterTab(QWidget* control, int key);
    // Whether the user lets a number that is already used stand.
    bool numberAccepted();

    static TTitluAddF* instance_;
    engine::Query numberCheck_;
};
