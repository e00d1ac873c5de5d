// The annexes-and-titles form on a large register: 100,000 annex lines, 10,000
// of them in "Anexa 2A", 120,000 titles and 350,000 surfaces. What the clerk
// waits for: a refresh of the annex list (switching annexes, typing in the name
// box, ticking a check box), moving to another line, and moving to another
// title in the titles view.
//
//   build/bench/bench_titles_bench [--benchmark_filter=...]
//
// The register is written into a temporary folder at every run (about ten
// seconds); the form runs on the offscreen platform unless another is set.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTemporaryDir>

#include "app/startup_window.h"
#include "data/annexes.h"
#include "program_folder.h"
#include "register_data.h"
#include "titles/titluri_form.h"

namespace {

constexpr size_t kLines = 100000;
constexpr size_t kLinesOfAnnex = 10000;

struct Setup {
    QTemporaryDir dir;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TTitluriF> form;
};
Setup* setup = nullptr;

// The register's lines spread so that "Anexa 2A" holds exactly every tenth
// line and the other annexes share the rest; linked titles follow their line.
bench::Register largeRegister() {
    bench::Register reg = bench::makeRegister(kLines);
    const QStringList& annexes = data::AnnexNames();
    for (size_t i = 0; i < reg.lines.size(); ++i) {
        bench::AnnexLine& line = reg.lines[i];
        const int annex = i % (kLines / kLinesOfAnnex) == 0 ? 0 : 1 + int(i % 11);
        line.annex = annexes[annex].toStdString();
        if (annex != 9 && annex != 10) line.type = line.annex;
    }
    for (bench::Title& title : reg.titles)
        if (title.line) title.annex = reg.lines[size_t(title.line - 2)].annex;
    return reg;
}

TTitluriF& form() { return *setup->form; }

void showAnnex(int page) {
    if (form().shownPage() != page) form().ShowPage(page);
}

void setQuietly(QLineEdit* edit, const QString& text) {
    const QSignalBlocker quiet(edit);
    edit->setText(text);
}

void setQuietly(QCheckBox* box, bool checked) {
    const QSignalBlocker quiet(box);
    box->setChecked(checked);
}

void clearFilters() {
    setQuietly(form().NumeSrc, QString());
    setQuietly(form().CheckBox1, false);
    setQuietly(form().CheckBox2, false);
    const QSignalBlocker quiet(form().ComboBox1);
    form().ComboBox1->setCurrentIndex(0);
}

// FiltruSat on "Anexa 2A" under a filter: composing, opening the grouped
// query, locating the kept line and filtering the titles to it.
void FiltruSat(benchmark::State& state) {
    showAnnex(0);
    clearFilters();
    switch (state.range(0)) {
    case 1: setQuietly(form().NumeSrc, QStringLiteral("POPESCU")); break;
    case 2: setQuietly(form().CheckBox2, true); break;
    case 3: {
        const QSignalBlocker quiet(form().ComboBox1);
        form().ComboBox1->setCurrentIndex(1);
        break;
    }
    case 4: setQuietly(form().CheckBox1, true); break;
    default: break;
    }
    for (auto _ : state) form().FiltruSat();
    state.counters["lines"] = form().Anex.recordCount();
    clearFilters();
}
BENCHMARK(FiltruSat)
    ->ArgName("filter")  // 0 none, 1 name, 2 lines without title, 3 village, 4 alphabetical
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Typing one more letter in the name box, and taking it back.
void TypeInNameBox(benchmark::State& state) {
    showAnnex(0);
    clearFilters();
    bool longer = false;
    for (auto _ : state) {
        longer = !longer;
        form().NumeSrc->setText(longer ? QStringLiteral("POPESCU I") : QStringLiteral("POPESCU"));
    }
    clearFilters();
}
BENCHMARK(TypeInNameBox)->Unit(benchmark::kMillisecond)->UseRealTime();

// Ticking and unticking "Numai anexe fara titlu".
void TickCheckBox(benchmark::State& state) {
    showAnnex(0);
    clearFilters();
    for (auto _ : state) form().CheckBox2->toggle();
    clearFilters();
}
BENCHMARK(TickCheckBox)->Unit(benchmark::kMillisecond)->UseRealTime();

// Choosing another annex in the list: "Anexa 2A" (10,000 lines) and "Anexa 2B"
// (about 8,200) in turn, with the list's own pauses for pending events.
void SwitchAnnex(benchmark::State& state) {
    clearFilters();
    int page = 0;
    for (auto _ : state) {
        page = page == 0 ? 1 : 0;
        form().ListView1->setCurrentRow(page);
    }
}
BENCHMARK(SwitchAnnex)->Unit(benchmark::kMillisecond)->UseRealTime();

// Moving to another line of "Anexa 2A": the titles follow it.
void MoveToLine(benchmark::State& state) {
    showAnnex(0);
    clearFilters();
    form().FiltruSat();
    const int count = form().Anex.recordCount();
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919) % count;
        form().Anex.moveTo(row);
    }
}
BENCHMARK(MoveToLine)->Unit(benchmark::kMillisecond)->UseRealTime();

// TxAfterScroll in the titles view, run by moving to another title: the
// surfaces and files filtered to it, its sums by category, its totals.
void MoveToTitle(benchmark::State& state) {
    showAnnex(data::kTitlesViewIndex);
    const int count = form().Tx.recordCount();
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919) % count;
        form().Tx.moveTo(row);
    }
    state.counters["titles"] = count;
}
BENCHMARK(MoveToTitle)->Unit(benchmark::kMillisecond)->UseRealTime();

void TxAfterScroll(benchmark::State& state) {
    showAnnex(data::kTitlesViewIndex);
    for (auto _ : state) form().TxAfterScroll();
}
BENCHMARK(TxAfterScroll)->Unit(benchmark::kMillisecond)->UseRealTime();

// Going to the titles view and back: opening every surface and the files.
void ShowTitlesView(benchmark::State& state) {
    for (auto _ : state) {
        form().ShowPage(data::kTitlesViewIndex);
        state.PauseTiming();
        form().ShowPage(0);
        state.ResumeTiming();
    }
}
BENCHMARK(ShowTitlesView)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the form does before it shows: the lists, the annex-type files, every
// title, "Anexa 2A".
void OpenForm(benchmark::State& state) {
    for (auto _ : state) {
        form().prepareOpening();
        state.PauseTiming();
        form().closeDown();
        state.ResumeTiming();
    }
    form().prepareOpening();
}
BENCHMARK(OpenForm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    Setup s;
    setup = &s;
    s.form1 = bench::programWithRegister(s.dir.path(), largeRegister());
    s.form = std::make_unique<TTitluriF>();
    s.form->prepareOpening();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    s.form.reset();
    return 0;
}
