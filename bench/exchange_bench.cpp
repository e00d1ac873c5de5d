// The spreadsheet exchange at register size: terralog-import of 20,000 and
// 65,000 sheet rows into the generated 100,000-line register (the whole
// command, as a script runs it), and the export of the general report to
// .xlsx and CSV (the report's own rows statement and grid, and the whole
// terralog-export command) against sqlite3 -csv writing the same
// statement's rows to a file.
//
//   bench_exchange_bench [lines=100000] [import|export, both when not given]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>

#include <sys/resource.h>

#include <QApplication>
#include <QTemporaryDir>

#include "app/startup_window.h"
#include "engine/query.h"
#include "exchange/export_writer.h"
#include "exchange/grid_export_source.h"
#include "exchange/workbook_reader.h"
#include "register_data.h"
#include "reports/raport_form.h"

namespace {

namespace fs = std::filesystem;

// Processor time (user and system, this process and the commands it ran),
// which a busy machine inflates far less than the time on the clock.
double cpuSeconds() {
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    const auto sum = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return sum(self.ru_utime) + sum(self.ru_stime) + sum(children.ru_utime) + sum(children.ru_stime);
}

struct Timing {
    double wall = 0;
    double cpu = 0;
};

Timing measure(const std::function<void()>& work) {
    const double cpu = cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), cpuSeconds() - cpu};
}

std::string shellQuoted(const std::string& s) { return "'" + s + "'"; }

// A sheet of `rows` lines of "Anexa 2A": every other row names a title of
// the register (found and relinked), the rest new numbers.
void writeSheet(const bench::Register& reg, int rows, const std::string& path) {
    std::vector<exchange::ExportColumn> columns;
    for (const char* c : {"Nr.Poz.", "Subanexa", "SATUL", "AUTOR", "Supr.in CAP", "Supr.solicit.", "Supr.aprob.",
                          "Supr.act.", "Mostenitori", "Extr.total", "Extr.arabil", "Extr.vii", "Extr.livezi",
                          "Extr.pasune", "Intr.total", "Intr.arabil", "Intr.vii", "Intr.livezi", "Intr.pasune",
                          "Neagr.", "Titlul Nr.", "Supr.Totala"})
        columns.push_back({QString::fromLatin1(c), false});
    std::vector<std::vector<std::string>> cells;
    cells.reserve(size_t(rows));
    for (int r = 0; r < rows; ++r) {
        const bench::Title& t = reg.titles[size_t(r) * 7 % reg.titles.size()];
        std::vector<std::string> row{std::to_string(r + 1), "Anexa 2A", t.village, t.holder};
        for (int a = 0; a < 4; ++a) row.push_back(bench::decimalText(1250 * (a + 1)));
        row.push_back(r % 3 ? "** NUL **" : "ION; MARIA");
        for (int a = 0; a < 11; ++a) row.push_back(bench::decimalText(500 * a));
        row.push_back(r % 2 ? "N" + std::to_string(r) : t.number);
        row.push_back(bench::decimalText(12345));
        cells.push_back(std::move(row));
    }
    const exchange::TableExportSource source(std::move(columns), std::move(cells));
    exchange::writeExport(source, exchange::ExportFormat::Xlsx, QString::fromStdString(path), {}, nullptr);
}

// The general report's rows statement with every filter neutral, as SQLite
// takes it.
const char* const kReportSelect =
    "SELECT T.ANEXA, T.IDTP, T.IDANEXA, T.INSAT, T.TITULAR, T.TPNR, D.TIP, D.CATEG, D.NRTARLA, D.PARCELA, "
    "D.SUPRAF, D.OBS, D.LOT, D.LUNG, D.LAT, D.COMENT FROM TPDET D LEFT JOIN TP T ON T.IDTP=D.IDTP "
    "ORDER BY T.TITULAR";

void printLine(const char* what, const Timing& t, const Timing& peer) {
    std::printf("  %-34s %6.2f s clock %6.2f s processor; ratio to sqlite3 %.2f clock, %.2f processor\n", what,
                t.wall, t.cpu, t.wall / peer.wall, t.cpu / peer.cpu);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const size_t lines = argc > 1 ? size_t(std::stoul(argv[1])) : 100000;
    const std::string part = argc > 2 ? argv[2] : "";
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    const std::string pristine = root + "/pristine";
    const std::string data = root + "/Data";
    fs::create_directories(pristine);
    std::printf("register of %zu lines\n", lines);
    const bench::Register reg = bench::makeRegister(lines);
    bench::writeTables(reg, pristine);
    bench::writeSqlite(reg, root + "/register.db", true);
    std::printf("%zu titles, %zu surfaces\n\n", reg.titles.size(), reg.surfaces.size());

    if (part != "export") std::printf("import (terralog-import, whole command)\n");
    for (const int rows : {20000, 65000}) {
        if (part == "export") break;
        const std::string sheet = root + "/sheet" + std::to_string(rows) + ".xlsx";
        writeSheet(reg, rows, sheet);
        const Timing read = measure([&] {
            const auto book = exchange::openWorkbookFile(QString::fromStdString(sheet));
            QString all;
            for (int r = 1; r <= book->usedRows(); ++r)
                for (int c = 1; c <= 22; ++c) all = book->cellText(r, c);
        });
        fs::remove_all(data);
        fs::copy(pristine, data);
        {
            std::FILE* ini = std::fopen((data + "/Terralog.ini").c_str(), "w");
            std::fprintf(ini, "[INDEX]\nIDANEXA=%zu\nIDTP=%zu\n", reg.lines.size() + 1, reg.titles.size() + 1);
            std::fclose(ini);
        }
        const std::string command = std::string(TERRALOG_IMPORT_BIN) + " --data " + shellQuoted(data) +
                                    " --annex 'Anexa 2A' " + shellQuoted(sheet) + " > /dev/null";
        int status = 0;
        const Timing whole = measure([&] { status = std::system(command.c_str()); });
        std::printf("  %6d rows: %.2f s on the clock, %.2f s processor (%.0f rows/s); reading the workbook alone "
                    "%.2f s, %.2f s processor; exit %d\n",
                    rows, whole.wall, whole.cpu, rows / whole.wall, read.wall, read.cpu, status);
    }

    if (part == "import") return 0;
    std::printf("\nexport of the general report, every filter neutral\n");
    fs::remove_all(data);
    fs::copy(pristine, data);
    const std::string sqlite = "sqlite3 -csv -header " + shellQuoted(root + "/register.db") + " " +
                               shellQuoted(kReportSelect) + " > " + shellQuoted(root + "/sqlite.csv");
    const Timing peer = measure([&] { (void)std::system(sqlite.c_str()); });
    std::printf("  %-34s %6.2f s clock %6.2f s processor\n", "sqlite3 -csv, statement and file", peer.wall, peer.cpu);

    TForm1 form1;
    form1.store().setAppDir(QString::fromStdString(root));
    TRaportF report;
    const Timing opened = measure([&] { report.prepareOpening(); });
    // The rows statement alone, run again as the rebuild runs it.
    report.Tx.close();
    const Timing statement = measure([&] { report.Tx.open(); });
    const auto source = report.exportSource();
    std::printf("  %d rows; the report opened (lists, both statements, figures) %.2f s clock, %.2f s processor; "
                "its rows statement %.2f s, %.2f s\n",
                source->rowCount(), opened.wall, opened.cpu, statement.wall, statement.cpu);
    for (const auto& [name, format, file] :
         {std::tuple{"CSV", exchange::ExportFormat::Csv, "report.csv"},
          std::tuple{"XLSX", exchange::ExportFormat::Xlsx, "report.xlsx"}}) {
        const Timing written = measure([&] {
            exchange::writeExport(*source, format, QString::fromStdString(root + "/" + file), {}, nullptr);
        });
        const Timing both{written.wall + statement.wall, written.cpu + statement.cpu};
        printLine((std::string(name) + ": the grid written").c_str(), written, peer);
        printLine((std::string(name) + ": rows statement and grid").c_str(), both, peer);
        const std::string command = std::string(TERRALOG_EXPORT_BIN) + " --data " + shellQuoted(data) +
                                    " --report general --format " + (format == exchange::ExportFormat::Csv ? "csv" : "xlsx") +
                                    " " + shellQuoted(root + "/command_" + file);
        const Timing whole = measure([&] { (void)std::system(command.c_str()); });
        printLine((std::string(name) + ": terralog-export, whole").c_str(), whole, peer);
    }
    return 0;
}
