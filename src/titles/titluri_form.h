#pragma once

#include <vector>

#include <QDialog>
#include <QStringList>

#include "engine/query.h"
#include "engine/table_dataset.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QSplitter;
class QStackedWidget;
class QToolButton;

namespace data {
class DataStore;
}

namespace ui {
class DataGrid;
class HeaderBand;
}

namespace titles {
class LineDetailPanel;
}

// The annexes-and-titles form, the screen the clerks work in. Two views,
// chosen in the list on the left: the annex view (pages 0 to 11: the lines of
// one annex, the details of the current line and the titles issued for it)
// and the titles view (page 12: every title with its surfaces, their totals
// and the files attached to it).
//
// Datasets: Tx (all titles; in the annex view filtered to the current line),
// Anex (the lines of the annex shown, with a summary of their titles), Dx
// (all surfaces, filtered to the current title), ToX (the current title's
// sums by category), Tp (the attached files, filtered to the current title)
// and Sx (the carrier of every INSERT, UPDATE and DELETE).
//
// Refreshes let pending events run so the screen keeps up; a nested call of
// a refresh (the user typing or scrolling meanwhile) only counts itself in
// BusyCount or SelectCount, and the outer call runs once more at its end.
class TTitluriF : public QDialog {
    Q_OBJECT

public:
    explicit TTitluriF(QWidget* parent = nullptr);
    ~TTitluriF() override;

    // The main menu's "Anexe si Titluri": prepares the lists, shows the form
    // modally on "Anexa 2A" and cleans up when it closes.
    void ShowTitlesForm();
    // What ShowTitlesForm does before and after the modal loop: the village
    // list, the annex-type files, the titles and "Anexa 2A"; then closing
    // the datasets and removing the files.
    void prepareOpening();
    void closeDown();
    // Annex page 0..11, or the titles view (12); a negative index does nothing.
    void ShowPage(int index);
    // Rebuilds and reopens the annex list by the filters, keeping the current line.
    void FiltruSat();
    // Filters the titles to those of the current line.
    void PozitioneazaTx();
    void ListView1SelectItem();
    void AnexeSelectChange();
    // Surfaces, category sums, totals, files and buttons of the current title.
    void TxAfterScroll();
    void TxCalcFields(engine::CalcRow& row);
    void FormShow();
    // Escape closes the form; true when the key was handled.
    bool FormKeyDown(int key);

    // Annex lines, through the line dialog: a new line in the annex shown,
    // a change of the current line, the deletion of the current line (its
    // titles stay, without a line).
    void AddLineBClick();
    void EditLineBClick();
    void DeleteLineBClick();
    // The labels and fields the line dialog shows for an annex page.
    void ConfigureLineDialog(int page);

    // Titles, through the title dialog; deleting one removes its surfaces
    // and its attached-file records.
    void TitluAddBClick();
    void TitluEditBClick();
    void TitluDeleteBClick();

    // Surfaces of the current title, through the surface dialog.
    void SupAddBClick();
    void SupEditBClick();
    void SupDeleteBClick();

    // The page shown: 0..11 an annex, 12 the titles view, -1 before the first.
    int shownPage() const { return page_; }
    bool annexViewShown() const;
    bool titlesViewShown() const;

    // Replaces the statement of Sx and runs it; every statement run so is
    // appended to the log while one is set.
    void runStatement(const QStringList& lines);
    void setStatementLog(std::vector<QStringList>* log) { log_ = log; }

    engine::Query Tx;
    engine::Query Anex;
    engine::Query Dx;
    engine::Query ToX;
    engine::Query Sx;
    engine::TableDataset Tp;

    int BusyCount = 0;
    int SelectCount = 0;

    ui::HeaderBand* HeaderBand1;

    // Left panel
    QListWidget* ListView1;
    QComboBox* ComboBox1;
    QLineEdit* NumeSrc;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QLabel* TotalLab;
    QLabel* Label140;
    QComboBox* AnexeSelect;

    // Annex view
    QLabel* Label21;
    ui::DataGrid* SMDBGrid3;
    ui::DataGrid* SMDBGrid4;
    titles::LineDetailPanel* PageControl2;
    QToolButton* AddLineB;
    QToolButton* EditLineB;
    QToolButton* DeleteLineB;
    QToolButton* LbSpeedButton2;  // "Exporta"
    QToolButton* ImportB;
    QToolButton* LbSpeedButton4;  // "Adauga titlu existent"
    QToolButton* LbSpeedButton5;  // "Introdu titlu nou"
    QToolButton* LbSpeedButton6;  // "Detalii titlu selectat"
    QToolButton* LbSpeedButton1;  // "Scoate titlu"

    // Titles view
    ui::DataGrid* SMDBGrid1;
    ui::DataGrid* SMDBGrid2;
    ui::DataGrid* DBGrid1;
    ui::DataGrid* DBGrid2;
    QSplitter* Splitter1;
    QToolButton* TitluAddB;
    QToolButton* TitluEditB;
    QToolButton* TitluDeleteB;
    QToolButton* SupAddB;
    QToolButton* SupEditB;
    QToolButton* SupDeleteB;
    QToolButton* PozaShowB;
    QToolButton* PozaAddB;
    QToolButton* PozaDelB;
    QMenu* PozaMenu;
    QAction* PozaShowItem;
    QAction* PozaAddItem;
    QAction* PozaDelItem;
    QGroupBox* SearchGroup;
    QLineEdit* MostSrc;
    QLineEdit* TitluSrc;
    QToolButton* TitluSearchB;
    QToolButton* TitluClearB;
    QLabel* ExtravilanLab;
    QLabel* IntravilanLab;
    QLabel* GeneralLab;

    // ---- Spreadsheet exchange (titluri_exchange.cpp) ----

    // "Exporta": the annex list as shown, through the export component.
    void LbSpeedButton2Click();
    // "Importa": the lines of a workbook into the annex shown.
    void ImportBClick();

    // ---- Linking titles to lines, title search and sorting, attached files ----
    // (titluri_links.cpp, titluri_search.cpp, titluri_files.cpp)

    // "Adauga titlu existent": links a free title, chosen in its dialog, to the current line.
    void LbSpeedButton4Click();
    // "Introdu titlu nou": a new title pre-filled from the current line and linked to it.
    void LbSpeedButton5Click();
    // "Detalii titlu selectat": the titles view, on the current title of the line.
    void LbSpeedButton6Click();
    // "Scoate titlu": takes the current title out of its line.
    void LbSpeedButton1Click();

    // "Cauta": titles by holder and by the beginning of the number.
    void TitluSearchBClick();
    // "Afiseaza tot": drops the search; the typed texts and the order stay.
    void TitluClearBClick();
    // Enter in the holder box moves to the number box; in the number box it searches.
    bool MostSrcKeyDown(int key);
    bool TitluSrcKeyDown(int key);
    // Header clicks: sort by the column, keeping the current title or line.
    void SMDBGrid1TitleClick(const QString& field);
    void SMDBGrid3TitleClick(const QString& field);

    // Opens the current attached file with the desktop's application for its
    // type; a file no longer there can be pointed to again, and with it the
    // folder of every stored file.
    void PozaShowBClick();
    // Attaches a file to the current title (its path only).
    void PozaAddBClick();
    // Removes the current attachment; the file stays on disk.
    void PozaDelBClick();
    // Points every non-empty stored path into newFolder (which ends in a
    // separator), keeping each file's own name.
    void RelocateFiles(const QString& newFolder);
    // The files grid's hint follows the current file.
    void TpAfterScroll();

    // The spare table RelocateFiles walks Fisiere.dbf with.
    engine::TableDataset Ty;

private:
    void connectLinkingSearchAndFiles();
    void connectSearchCommands();
    void setUpFileCommands();
    // Where the attach dialog opened last.
    QString attachFolder_;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildLeftPanel();
    QWidget* buildAnnexView();
    QWidget* buildTitlesView();
    void connectFilters();
    void connectCommands();
    // Reopens the annex list on the line of that identifier, adds the line's
    // village to the village filter and refreshes the list by the filters.
    void showChangedLine(const QString& id, const QString& village);
    // Reopens the titles and makes the title of that identifier current; in
    // the titles view "Total linii" then counts them again.
    void reopenTitlesAt(const QString& id);
    // After a change to the titles of the current line: reopens the titles
    // and the annex list, so the line's summary counts them again, keeping
    // the line and, when given, making that title current.
    void reopenLineWithTitles(const QString& lineId, const QString& titleId);
    // "Total linii" in the titles view: the titles listed.
    void showTitleCount();
    // Reopens the surfaces and refreshes the current title's totals.
    void reopenSurfaces();
    void showTitlesView();
    void composeAnnexList(int index);
    void loadAnnexTypes(int index);
    void writeAnnexTypeFile(const QString& annex, const QString& path);

    data::DataStore& store() const;
    QString tablePath(const QString& file) const;
    QString annexTypeFile(int index) const;

    QStackedWidget* views_;
    QWidget* annexView_;
    QWidget* titlesView_;
    int page_ = -1;
    std::vector<QStringList>* log_ = nullptr;
};
