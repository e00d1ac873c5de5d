#pragma once

#include <memory>
#include <utility>
#include <vector>

#include <QDialog>
#include <QString>
#include <QStringList>

#include "engine/decimal.h"
#include "engine/query.h"
#include "engine/table_dataset.h"
#include "reports/register_key.h"
#include "reports/report_grid.h"
#include "reports/report_printout.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QDate;
class QPagedPaintDevice;
class QPrinter;
class QSplitter;
class QToolButton;
class QVBoxLayout;

namespace data {
class DataStore;
}

namespace exchange {
class GridExportSource;
}

namespace ui {
class DataGrid;
class HeaderBand;
class NumericEdit;
}

namespace reports {

// What the general and the per-parcel report share: the report query Tx
// under a filter panel of the report's own, the totals by type and category
// ToX, the land-register table Ti (RF) and the annex lines Anex for the row
// tooltip; the rebuild with its change counter, the register value and the
// difference, sorting by a column title, row numbers, printing.
//
// A filter change rebuilds at once. The rebuild lets pending events run, so
// changes that arrive meanwhile only count themselves in ChangeCount and the
// running rebuild runs once more at its end.
class ReportForm : public QDialog {
    Q_OBJECT

public:
    ~ReportForm() override;

    // The main menu's entry: fills the lists, prepares the queries, builds
    // the report, shows the form modally and closes the datasets after.
    void OpenReport();
    // What OpenReport does before and after the modal loop.
    void prepareOpening();
    void closeDown();

    // The rebuild: the change handler of every filter control.
    void SatBoxChange();
    // The conditions of the filters that are set, joined by AND; empty when
    // none is.
    QString BuildConditions() const;
    // The sum of TT over the totals.
    engine::Decimal SumTotals();
    // "Sterge alegerile": every filter neutral, then one rebuild.
    void ClearBClick();
    void CloseBClick();
    // "Valoare Reg.Funciar": records the land-register value of the selection.
    void LbSpeedButton1Click();
    // "Exporta": the report grid as it shows, through the export component.
    void ExportBClick();
    // "Tipareste": the report on the printer the print dialog sets up.
    void TiparesteBClick();
    // The printer as the print dialog receives it: A4 landscape, and for
    // printing to PDF the file "RAPORT GENERAL 10.12.2026.pdf" in the folder
    // of the last export (the program's folder before any).
    void preparePrinter(QPrinter& printer) const;
    QString printFileProposal(const QDate& day) const;
    void SMDBGrid3TitleClick(const QString& field);
    void SMDBGrid3CellClick(const QString& field);
    void TxCalcFields(engine::CalcRow& row);
    void TxAfterScroll();
    // Escape closes the form; true when the key was handled.
    bool FormKeyDown(int key);

    // The key the selection's land-register value is kept under in RF.
    virtual RegisterKey registerKey() const = 0;
    // The figures as computed by the last rebuild.
    engine::Decimal totalArea() const { return total_; }
    engine::Decimal registerValue() const { return registerValue_; }

    // What a grid export of the report takes: the report grid's visible
    // columns in order with their titles, and Tx. Works on a form not shown.
    ReportGrid reportGrid() const;
    // The rows of the grid export: the report grid's visible columns under
    // the report's caption list; none while Tx is closed.
    std::unique_ptr<exchange::GridExportSource> exportSource() const;
    // The headings of the grid export by column position; a column beyond
    // the list keeps its grid title.
    virtual QStringList exportCaptions() const = 0;
    // The totals grid the same way.
    ReportGrid totalsGrid() const;
    // The report as a page shows it, and printing it on a device.
    ReportPrintout printout() const;
    int print(QPagedPaintDevice& device);

    engine::Query Tx;
    engine::Query ToX;
    engine::Query Anex;
    engine::TableDataset Ti;
    int ChangeCount = 0;

    ui::HeaderBand* HeaderBand1;
    QToolButton* CloseB;  // "Iesire"
    QToolButton* ClearB;  // "Sterge alegerile"
    QSplitter* Splitter;  // the report grid over the totals and figures
    ui::DataGrid* SMDBGrid3;
    ui::DataGrid* DBGrid1;  // the totals
    QLabel* CountLab;       // "Total linii" / "Total titluri"
    QLabel* TotalLab;       // "Total suprafata"
    QLabel* RegisterLab;    // "Conf.Reg.Func."
    QLabel* DifferenceLab;  // "Diferenta"
    QToolButton* LbSpeedButton1;  // "Valoare Reg.Funciar"
    QToolButton* ExportB;         // "Exporta"
    QToolButton* PrintB;          // "Tipareste"

protected:
    ReportForm(const QString& header, const QString& countCaption, QWidget* parent);

    // The report query's lines as OpenReport builds them; its filter line
    // and the line after it are emptied by every rebuild.
    virtual QStringList reportStatement() const = 0;
    virtual int filterLine() const = 0;
    // Steps of OpenReport before the queries: the lists and the filter boxes.
    virtual void prepareFilters() = 0;
    // What "Sterge alegerile" does to the report's own controls.
    virtual void resetFilters() = 0;
    // The initial text of the register dialog.
    virtual QString registerDialogText() const = 0;
    // The general report keeps RF open while it shows; the per-parcel one
    // opens it for every lookup and store.
    virtual bool keepsRegisterOpen() const = 0;
    // A filter that restricts the report: its condition and how the printed
    // page names it ("Satul: BRADU").
    struct SetFilter {
        QString condition;
        QString printed;
    };
    // The filters set, in the order of their conditions.
    virtual std::vector<SetFilter> setFilters() const = 0;
    static SetFilter equalTo(const QString& field, const QString& caption, const QString& value);
    // The plot number and the parcel, alike in both reports.
    static void addPlotNumber(std::vector<SetFilter>& filters, const QLineEdit* plotNumber);
    static void addParcel(std::vector<SetFilter>& filters, const ui::NumericEdit* parcel);

    // The filter panel under the header: columns of captioned controls, in
    // tab order column by column, and "Sterge alegerile" at the right.
    using FilterColumn = std::vector<std::pair<QString, QWidget*>>;
    void setFilterPanel(const std::vector<FilterColumn>& columns);
    // Filter controls; every change rebuilds the report.
    QComboBox* filterList(const QString& name);
    QLineEdit* filterText(const QString& name, int maxLength);
    ui::NumericEdit* parcelBox();
    // " * toate *", then the distinct non-blank values of the field.
    void fillList(QComboBox* box, const QString& table, const QString& field);
    // A text as it goes between the double quotes of a condition.
    static QString literal(const QString& text);

    data::DataStore& store() const;
    QString tablePath(const QString& file) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The field the report is sorted by, as its sort line names it.
    QString sortedField() const;
    QWidget* buildBottom(const QString& countCaption);
    // The RF lookup of a rebuild, or a store; the per-parcel report opens
    // and closes Ti around it.
    template <typename Work>
    void withRegister(Work work);
    void showFigures(int rows);
    void clearFigures();

    const QString countCaption_;
    QVBoxLayout* filterSlot_;
    bool prepared_ = false;
    engine::Decimal total_;
    engine::Decimal registerValue_;
};

}  // namespace reports
