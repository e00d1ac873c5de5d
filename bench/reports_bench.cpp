// The two reports on the generated register at 100,000 annex lines (120,000
// titles, 350,000 surfaces), beside SQLite running the same two statements
// (the rows and the totals) on the same rows in the same run.
//
//   build/bench/bench_reports_bench [--benchmark_filter=...]
//
// A rebuild is what the clerk waits for after a filter change: both queries,
// the land-register lookup, the figures and the grids ready to paint (the
// visible rows painted, the form shown on the offscreen platform unless
// another is set). SQLite reads every cell of both results, as a grid
// reading them all would; its tables with and without indexes.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>

#include <iostream>

#include <memory>
#include <string>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTemporaryDir>

#include "app/progress_window.h"
#include "app/startup_window.h"
#include "program_folder.h"
#include "register_data.h"
#include "sqlite_db.h"
#include "reports/rap_parc_form.h"
#include "reports/raport_form.h"
#include "ui/data_grid.h"

namespace {

constexpr size_t kLines = 100000;
const QString kVillage = QStringLiteral("PODENI");
const QString kHolder = QStringLiteral("POP");

struct Setup {
    QTemporaryDir dir;
    std::string plainFile, indexedFile;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TContor> progress;
    std::unique_ptr<TRaportF> general;
    std::unique_ptr<TRapParcF> parcel;
};
Setup* setup = nullptr;

// ---- the forms ------------------------------------------------------------

enum Filter { kNone, kVillageChosen, kHolderTyped };

void setGeneralFilter(Filter filter) {
    TRaportF& form = *setup->general;
    const QSignalBlocker quietVillage(form.SatBox);
    const QSignalBlocker quietHolder(form.TitularE);
    form.SatBox->setCurrentIndex(filter == kVillageChosen ? form.SatBox->findText(kVillage) : 0);
    form.TitularE->setText(filter == kHolderTyped ? kHolder : QString());
}

// One rebuild and the paint of what the grid shows.
void rebuild(reports::ReportForm& form) {
    form.SatBoxChange();
    form.SMDBGrid3->viewport()->repaint();
    form.DBGrid1->viewport()->repaint();
}

void countersOf(benchmark::State& state, const reports::ReportForm& form) {
    state.counters["rows"] = form.Tx.recordCount();
    // The grid is a view over the dataset: its widgets do not grow with the rows.
    state.counters["gridWidgets"] = double(form.SMDBGrid3->findChildren<QWidget*>().size());
}

void GeneralRebuild(benchmark::State& state) {
    setGeneralFilter(Filter(state.range(0)));
    for (auto _ : state) rebuild(*setup->general);
    countersOf(state, *setup->general);
    setGeneralFilter(kNone);
}
BENCHMARK(GeneralRebuild)
    ->ArgName("filter")  // 0 none, 1 a village, 2 three letters of a holder
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Typing the third letter of the holder: the text changes, the rebuild runs.
void GeneralTypeThirdLetter(benchmark::State& state) {
    TRaportF& form = *setup->general;
    setGeneralFilter(kNone);
    for (auto _ : state) {
        state.PauseTiming();
        {
            const QSignalBlocker quiet(form.TitularE);
            form.TitularE->setText(kHolder.left(2));
        }
        state.ResumeTiming();
        form.TitularE->setText(kHolder);
        form.SMDBGrid3->viewport()->repaint();
    }
    countersOf(state, form);
    setGeneralFilter(kNone);
}
BENCHMARK(GeneralTypeThirdLetter)->Unit(benchmark::kMillisecond)->UseRealTime();

void ParcelRebuild(benchmark::State& state) {
    for (auto _ : state) rebuild(*setup->parcel);
    countersOf(state, *setup->parcel);
}
BENCHMARK(ParcelRebuild)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- SQLite -----------------------------------------------------------------

const std::string kRows =
    "SELECT T.ANEXA, T.IDTP, T.IDANEXA, T.INSAT, T.TITULAR, T.TPNR, D.TIP, D.CATEG, D.NRTARLA, D.PARCELA, D.SUPRAF, "
    "D.OBS, D.LOT, D.LUNG, D.LAT, D.COMENT FROM TPDET D LEFT JOIN TP T ON T.IDTP=D.IDTP ";
const std::string kTotals = "SELECT D.TIP, D.CATEG, SUM(D.SUPRAF) AS TT FROM TPDET D LEFT JOIN TP T ON T.IDTP=D.IDTP ";
const std::string kTotalsEnd = "GROUP BY D.TIP, D.CATEG ORDER BY D.TIP, D.CATEG";
const std::string kParcelRows =
    "SELECT T.TITULAR, T.IDTP, T.IDANEXA, T.INSAT, T.ANEXA, T.TPNR, SUM(D.SUPRAF) AS TOT FROM TPDET D "
    "LEFT JOIN TP T ON T.IDTP=D.IDTP GROUP BY T.IDTP, T.INSAT, T.IDANEXA, T.TPNR, T.TITULAR, T.ANEXA ORDER BY T.TPNR";

std::string sqliteWhere(Filter filter) {
    switch (filter) {
    case kVillageChosen: return "WHERE (T.INSAT='" + kVillage.toStdString() + "') ";
    case kHolderTyped: return "WHERE (T.TITULAR LIKE '%" + kHolder.toStdString() + "%') ";
    default: return std::string();
    }
}

using bench::SqliteDb;

void sqliteStatements(benchmark::State& state, const std::string& rows, const std::string& totals) {
    SqliteDb db(state.range(0) ? setup->indexedFile : setup->plainFile);
    size_t count = db.readAll(rows);
    db.readAll(totals);
    for (auto _ : state) {
        count = db.readAll(rows);
        db.readAll(totals);
    }
    state.counters["rows"] = double(count);
}

void SqliteGeneral(benchmark::State& state) {
    const std::string where = sqliteWhere(Filter(state.range(1)));
    sqliteStatements(state, kRows + where + "ORDER BY T.TITULAR", kTotals + where + kTotalsEnd);
}
BENCHMARK(SqliteGeneral)
    ->ArgNames({"indexed", "filter"})
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void SqliteParcel(benchmark::State& state) { sqliteStatements(state, kParcelRows, kTotals + kTotalsEnd); }
BENCHMARK(SqliteParcel)->ArgName("indexed")->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime();

long residentMiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE) / (1024 * 1024);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    Setup s;
    setup = &s;
    {
        const bench::Register reg = bench::makeRegister(kLines);
        s.form1 = bench::programWithRegister(s.dir.path(), reg);
        s.plainFile = s.dir.filePath("plain.sqlite").toStdString();
        s.indexedFile = s.dir.filePath("indexed.sqlite").toStdString();
        bench::writeSqlite(reg, s.plainFile, false);
        bench::writeSqlite(reg, s.indexedFile, true);
    }
    malloc_trim(0);  // the generated rows are gone before the forms open

    s.progress = std::make_unique<TContor>();
    s.general = std::make_unique<TRaportF>();
    s.parcel = std::make_unique<TRapParcF>();
    for (reports::ReportForm* form : {static_cast<reports::ReportForm*>(s.general.get()),
                                      static_cast<reports::ReportForm*>(s.parcel.get())}) {
        form->resize(1600, 1000);
        form->prepareOpening();
        form->show();
        QCoreApplication::processEvents();
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // Both reports open on the whole register: the tables in memory and
    // both reports' rows, without the grids adding to them.
    std::cerr << "Resident memory with both reports open: " << residentMiB() << " MiB" << std::endl;
    s.general.reset();
    s.parcel.reset();
    s.progress.reset();
    return 0;
}
