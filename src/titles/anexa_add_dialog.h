#pragma once

#include <vector>

#include "titles/entry_dialog.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {
class NumericEdit;
}

// The annex-line dialog: the fields of one ANEXE1 row, of which it shows
// those the annex in hand uses (configureForPage). The form fills it, runs
// Execute and, when it returns true, reads the controls back; the dialog
// writes nothing itself.
class TAnexaAdd1F : public titles::EntryDialog {
    Q_OBJECT

public:
    explicit TAnexaAdd1F(QWidget* parent = nullptr);
    ~TAnexaAdd1F() override;

    // The one dialog of the run (created on first use when start-up did not).
    static TAnexaAdd1F& instance();

    // Reloads the village list, keeping the typed village, and shows the
    // dialog modally with the focus on the village; Confirmed when it closes.
    bool Execute();
    // "&Memoreaza": cleans the village and the name and checks them (a
    // balloon at the first one missing leaves the dialog open), writes the
    // position as a whole number and accepts.
    void LbButton1Click();
    // Labels and visible fields of the annex at the page index (0..11).
    void configureForPage(int page);

    // The header's caption: "Adaugare " or "Modificare " and the annex name.
    QLabel* TitluL;
    ui::NumericEdit* NrCrtA;
    QComboBox* SatulE;
    QComboBox* TipAnxE;
    QLineEdit* NumeleE;
    QLineEdit* MostenE;
    ui::NumericEdit* SINCAPE;
    ui::NumericEdit* SSOLE;
    ui::NumericEdit* SActE;
    ui::NumericEdit* SAPROBE;
    ui::NumericEdit* ExTot;
    ui::NumericEdit* ExAr;
    ui::NumericEdit* ExVii;
    ui::NumericEdit* ExLiv;
    ui::NumericEdit* ExPas;
    ui::NumericEdit* InTot;
    ui::NumericEdit* InAr;
    ui::NumericEdit* InVii;
    ui::NumericEdit* InLiv;
    ui::NumericEdit* InPas;
    ui::NumericEdit* Neag;
    QPushButton* LbButton1;  // "&Memoreaza"
    QPushButton* LbButton2;  // "&Renunt"

    // The labels that change or hide with the annex, and the land table.
    QLabel* nameLabel;
    QLabel* sincapLabel;
    QLabel* ssolLabel;
    QLabel* sactLabel;
    QLabel* mostenLabel;
    QLabel* tipAnxLabel;
    QFrame* landTable;

    // The eleven land values in tab order: EXTOT .. EXPAS, INTOT .. INPAS, NEAG.
    const std::vector<ui::NumericEdit*>& landEdits() const { return landEdits_; }

protected:
    bool handleKey(QWidget* focused, int key) override;

private:
    // Esc closes unconfirmed.
    bool FormKeyDown(int key);
    // Enter in the name, the heirs and the surfaces moves to the next control.
    bool SaltTab(QWidget* control, int key);

    static TAnexaAdd1F* instance_;
    std::vector<ui::NumericEdit*> landEdits_;
};
