#pragma once

// Both reports over a small register in the temporary program folder of
// the titles tests: villages, holders, plots, parcels and lots chosen so that
// every filter has rows it keeps and rows it drops.
#include <memory>
#include <string>
#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "app/message_dialog.h"
#include "app/progress_window.h"
#include "engine/dataset.h"
#include "engine/errors.h"
#include "reports/rap_parc_form.h"
#include "reports/raport_form.h"
#include "titles/annex_lists.h"
#include "titles/titles_fixture.h"
#include "ui/data_grid.h"
#include "ui/dataset_model.h"
#include "ui/numeric_edit.h"

namespace reportstest {

using titlestest::linesOf;
using titlestest::Values;
using Rows = std::vector<std::string>;

// Counts the times a dataset tells its grids that everything changed: once
// per rebuild, which holds the grids still until it is done.
class ResetCounter : public engine::DatasetObserver {
public:
    explicit ResetCounter(engine::Dataset& ds) : ds_(ds) { ds_.addObserver(this); }
    ~ResetCounter() override { ds_.removeObserver(this); }
    void datasetReset(engine::Dataset&) override { ++resets; }
    int resets = 0;

private:
    engine::Dataset& ds_;
};

class ReportsFixture : public titlestest::TitlesFixture {
protected:
    // The progress window printing shows, made here so that it goes before
    // the application does.
    std::unique_ptr<TContor> progress;

    void SetUp() override {
        TitlesFixture::SetUp();
        progress = std::make_unique<TContor>();
    }
    void TearDown() override {
        progress.reset();
        TitlesFixture::TearDown();
    }

    int lineBradu = 0;
    int lineValea = 0;
    int titleAbc = 0;    // ABC ION, BRADU, "Anexa 2A", line lineBradu
    int titleCab = 0;    // CAB MARIA, VALEA, "Anexa 3", line lineValea
    int titleBa = 0;     // BA DAN, BRADU, no line
    int titlePopa = 0;   // POPA ANA, VALEA, taken out of its line (-1)

    void addRegister() {
        lineBradu = addLine("Anexa 2A", "BRADU", "ABC ION",
                            {{"TIPANX", text("Anexa 2A")}, {"MOSTEN", text("ABC ANA")}, {"EXTOT", "2.5"},
                             {"EXAR", "2"}, {"EXVII", "0.5"}, {"INTOT", "0.1234"}, {"INAR", "0.1234"},
                             {"NEAG", "0.05"}});
        lineValea = addLine("Anexa 3", "VALEA", "CAB PETRE", {{"TIPANX", text("3a")}});
        titleAbc = addLinkedTitle(lineBradu, "Anexa 2A", "7", "ABC ION", {{"INSAT", text("BRADU")}});
        titleCab = addLinkedTitle(lineValea, "Anexa 3", "12", "CAB MARIA", {{"INSAT", text("VALEA")}});
        titleBa = addTitle("3", "BA DAN", {{"INSAT", text("BRADU")}});
        titlePopa = addTitle("20", "POPA ANA", {{"INSAT", text("VALEA")}, {"IDANEXA", "-1"}});
        surface(titleAbc, "EXTRAVILAN", "Arabil", "1.5", "LA POD", "10", "1", "1");
        surface(titleAbc, "INTRAVILAN", "Curti", "0.25", "VATRA", "2", "5", "12");
        surface(titleCab, "EXTRAVILAN", "Arabil", "2", "LA POD", "10", "3", "1A");
        surface(titleCab, "EXTRAVILAN", "Vii", "0.125", "DEALUL", "11", "0", "21");
        surface(titleBa, "EXTRAVILAN", "Pasune", "3.0001", "DEALUL", "11", "4", "");
        surface(titlePopa, "INTRAVILAN", "Arabil", "0.5", "", "", "1", "B");
    }

    void surface(int title, const QString& type, const QString& category, const QString& area, const QString& plot,
                 const QString& plotNumber, const QString& parcel, const QString& lot) {
        addSurface(title, type, category, area,
                   {{"OBS", text(plot)}, {"NRTARLA", text(plotNumber)}, {"PARCELA", parcel}, {"LOT", text(lot)},
                    {"LUNG", "100"}, {"LAT", "25.5"}, {"COMENT", text("masurat")}});
    }

    static std::string area(const QString& text) { return text.toStdString(); }

    // A field's values over the rows a dataset shows, in order.
    static Rows column(const engine::Dataset& ds, const char* field) {
        Rows out;
        const int f = ds.fieldIndex(field);
        for (int i = 0; i < ds.recordCount(); ++i) out.push_back(ds.rowValue(i, f).toString());
        return out;
    }

    // The register records, every field but IDRF.
    std::vector<std::string> registerRows() {
        return tableRows("RF.dbf", "INSAT, TITULAR, OBS, NRTARLA, PARCELA, LOT, ANEXA, TIP, CATEG, SUPRAF");
    }

    // Picks the list entry showing this text.
    static void choose(QComboBox* box, const QString& shown) {
        const int index = box->findText(shown);
        ASSERT_GE(index, 0) << shown.toStdString();
        box->setCurrentIndex(index);
    }

    // "Valoare Reg.Funciar" with the text typed into its dialog; a refused
    // value is answered with OK on the error message.
    void recordValue(reports::ReportForm& form, const QString& typed, bool refused = false) {
        answers.textInput(typed);
        if (refused) answers.message(mrOk);
        form.LbSpeedButton1Click();
    }

    static QStringList figures(const reports::ReportForm& form) {
        return {form.CountLab->text(), form.TotalLab->text(), form.RegisterLab->text(), form.DifferenceLab->text()};
    }
};

// One report over the register, made afresh for every test.
template <typename Form>
class ReportTest : public ReportsFixture {
protected:
    std::unique_ptr<Form> form;

    void SetUp() override {
        ReportsFixture::SetUp();
        addRegister();
        form = std::make_unique<Form>();
    }
    void TearDown() override {
        form.reset();
        ReportsFixture::TearDown();
    }

    // The form as OpenReport leaves it when the modal loop starts.
    void open() { form->prepareOpening(); }
    QString txLine(int i) const { return QString::fromStdString(form->Tx.lines()[size_t(i)]); }
    QString toxLine(int i) const { return QString::fromStdString(form->ToX.lines()[size_t(i)]); }
    // A grid's rows as shown, cells joined by "|".
    static QStringList shownRows(const ui::DataGrid* grid) {
        QStringList out;
        const ui::DatasetModel* m = grid->datasetModel();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c) cells.append(m->displayText(r, c));
            out.append(cells.join('|'));
        }
        return out;
    }
};

}  // namespace reportstest
