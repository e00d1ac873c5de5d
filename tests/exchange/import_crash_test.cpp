// The import stopped dead part-way: in a child stopped at each of its file
// operations in turn, and terralog-import killed (SIGKILL) while it writes.
// Each time the next opening of the tables must find ANEXE1 and TP exactly
// as before the import, or as a finished import leaves them; the INDEX
// counters never go back: as before, or advanced by the import's block
// (identifiers handed out to an import that did not finish are not handed
// out again).
#include <chrono>
#include <random>
#include <thread>

#include "app/message_dialog.h"
#include "common/child_process.h"
#include "common/folder_content.h"
#include "common/test_paths.h"
#include "engine/fault_injection.h"
#include "engine/write_unit.h"
#include "exchange/annex_export.h"
#include "exchange/annex_import.h"
#include "exchange/export_writer.h"
#include "exchange_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

// Says DA to both questions, as terralog-import --delete-existing does.
class AnsweringHost : public exchange::ImportHost {
public:
    int Mesaj(const QString&, const QString&, unsigned, unsigned buttons) override {
        return buttons == mbDa + mbNu ? mrDa : mrOk;
    }
    void showProgress(const QString&, int) override {}
    void advanceProgress() override {}
    void hideProgress() override {}
};

// The child: the import as the front runs it, into the data store of the
// program folder given, stopped (killed) at its k-th write or sync; the
// write units' memory limit low makes it write table pages before its
// commit. 0 when it finished, 3 when it refused, 2 on an error.
const testing_child::Entry importChild("import-stopped", [](const testing_child::Arguments& a) {
    data::DataStore s;
    s.setAppDir(QString::fromStdString(a.at(0)));
    engine::WriteUnit::setMemoryLimit(size_t(std::stoull(a.at(3))));
    engine::faults::Plan plan;
    plan.killAt = std::stol(a.at(2));
    engine::faults::arm(plan);
    try {
        AnsweringHost host;
        engine::Query sx;
        return exchange::AnnexImport(s, sx, host).run(QString::fromStdString(a.at(1)), QStringLiteral("Anexa 2A")) ? 0 : 3;
    } catch (...) {
        return 2;
    }
});

// What a reader of the folder finds, the opening's recovery done first.
struct FolderState {
    std::vector<std::string> lines;
    std::vector<std::string> titles;
    QString lineCounter;
    QString titleCounter;
    QStringList files;
    bool operator==(const FolderState& o) const {
        return lines == o.lines && titles == o.titles && lineCounter == o.lineCounter &&
               titleCounter == o.titleCounter && files == o.files;
    }
};

class ImportCrashTest : public exchangetest::ExchangeFixture {
protected:
    QString sheet;
    testing_files::Content pristine;
    FolderState finished;

    // The register: 30 lines of "Anexa 2A" and 3 of "Anexa 3", a title on
    // each; the sheet's `rows` rows name every third of those titles again
    // and new ones, some none.
    void prepare(int rows) {
        for (int i = 0; i < 33; ++i) {
            const QString annex = i < 30 ? QStringLiteral("Anexa 2A") : QStringLiteral("Anexa 3");
            addLine(2 + i, annex, i + 1, QStringLiteral("BRAN"), QStringLiteral("VECHI %1").arg(i));
            addTitle(100 + i, QStringLiteral("E%1").arg(i), QStringLiteral("BRAN"), QStringLiteral("TITULAR %1").arg(i),
                     annex, 2 + i);
        }
        store.WriteSetting(QStringLiteral("INDEX"), QStringLiteral("IDANEXA"), QStringLiteral("34"));
        store.WriteSetting(QStringLiteral("INDEX"), QStringLiteral("IDTP"), QStringLiteral("132"));

        std::vector<exchange::ExportColumn> columns;
        for (const QString& caption : exchange::sheetCaptions()) columns.push_back({caption});
        std::vector<std::vector<std::string>> cells;
        for (int r = 1; r <= rows; ++r) {
            std::vector<std::string> row{std::to_string(r), "Anexa 2A", r % 4 ? "BRAN" : "ARINI",
                                         "AUTOR " + std::to_string(r)};
            for (int c = 5; c <= 20; ++c) row.push_back(c == 9 ? "** NUL **" : std::to_string(r % 7) + ".25");
            row.push_back(r % 5 == 0 ? "** NUL **" : r % 3 == 0 ? "E" + std::to_string(r % 33) : "N" + std::to_string(r));
            row.push_back(std::to_string(r) + ".5");
            cells.push_back(std::move(row));
        }
        sheet = dir.path() + QStringLiteral("/sheet.xlsx");
        exchange::writeExport(exchange::TableExportSource(columns, cells), exchange::ExportFormat::Xlsx, sheet, {},
                              nullptr);
        pristine = testing_files::contentOf(store.DataDir());
    }

    // A fresh copy of the register's folder under `name`, never opened by
    // this process before: its data store.
    std::unique_ptr<data::DataStore> copy(const QString& name) {
        auto trial = std::make_unique<data::DataStore>();
        trial->setAppDir(dir.path() + QLatin1Char('/') + name);
        EXPECT_TRUE(QDir().mkpath(trial->DataDir()));
        for (const auto& [file, bytes] : pristine) testing_files::writeFile(trial->tablePath(file), bytes);
        return trial;
    }

    static FolderState stateOf(const data::DataStore& s) {
        const auto table = [&](const char* file) {
            return QLatin1Char('"') + s.tablePath(QString::fromLatin1(file)) + QLatin1Char('"');
        };
        FolderState state;
        // The tables are read first: their opening rolls back what a stopped unit left.
        state.lines = testing_rows::queryRows(QStringLiteral("SELECT * FROM ") + table("Anexe1.dbf") +
                                              QStringLiteral(" ORDER BY IDANEXA"));
        state.titles = testing_rows::queryRows(QStringLiteral("SELECT * FROM ") + table("TP.dbf") +
                                               QStringLiteral(" ORDER BY IDTP"));
        state.lineCounter = s.ReadCounter(QStringLiteral("IDANEXA"));
        state.titleCounter = s.ReadCounter(QStringLiteral("IDTP"));
        state.files = testing_files::entriesOf(s.DataDir());
        return state;
    }

    // The import run here, whole: what every stop must match once finished.
    long finishImport() {
        const auto reference = copy(QStringLiteral("whole"));
        AnsweringHost host;
        engine::Query sx;
        engine::faults::arm({});
        const bool imported = exchange::AnnexImport(*reference, sx, host).run(sheet, QStringLiteral("Anexa 2A"));
        const long operations = engine::faults::operations();
        engine::faults::disarm();
        EXPECT_TRUE(imported);
        finished = stateOf(*reference);
        EXPECT_NE(finished.lines, stateOf(*copy(QStringLiteral("untouched"))).lines);
        return operations;
    }

    // The folder after a stop: its tables exactly as before, or as the
    // finished import, and the counters as before or as the finished import's.
    // Returns whether the tables were as before.
    bool expectBeforeOrFinished(const data::DataStore& s, const std::string& trial) {
        // A kill inside the settings file's replacement leaves its unfinished
        // copy (Terralog.ini.XXXXXX) beside it; nothing ever reads that.
        const QDir folder(s.DataDir());
        for (const QString& copy :
             folder.entryList({data::DataStore::kSettingsFileName + QStringLiteral(".??????")}, QDir::Files))
            QFile::remove(folder.filePath(copy));
        const FolderState found = stateOf(s);
        testing_files::Content tables = testing_files::contentOf(s.DataDir()), before = pristine;
        tables.erase(data::DataStore::kSettingsFileName);
        before.erase(data::DataStore::kSettingsFileName);
        if (tables == before) {
            const FolderState untouched = stateOf(*copy(QStringLiteral("untouched")));
            const bool countersBefore = found.lineCounter == untouched.lineCounter && found.titleCounter == untouched.titleCounter;
            const bool countersAdvanced = found.lineCounter == finished.lineCounter && found.titleCounter == finished.titleCounter;
            EXPECT_TRUE(countersBefore || countersAdvanced) << trial << ": counters " << found.lineCounter.toStdString()
                                                            << " and " << found.titleCounter.toStdString();
            return true;
        }
        EXPECT_TRUE(found == finished) << trial << ": " << found.lines.size() << " lines, " << found.titles.size()
                                       << " titles, counters " << found.lineCounter.toStdString() << " and "
                                       << found.titleCounter.toStdString() << ", files "
                                       << found.files.join(' ').toStdString();
        return false;
    }
};

// The child runs the import as the front does, stopped (SIGKILL) at its
// k-th write or sync; `memoryLimit` low makes it write table pages before
// its commit.
TEST_F(ImportCrashTest, StoppedAtEveryFileOperationLeavesAllOrNothing) {
    prepare(40);
    const long total = finishImport();
    ASSERT_GT(total, 5);
    for (const size_t memoryLimit : {size_t(64) << 20, size_t(4096)}) {
        int rolledBack = 0;
        for (long k = 1;; ++k) {
            const std::string trial = "memory " + std::to_string(memoryLimit) + ", stopped at operation " +
                                      std::to_string(k);
            const auto s = copy(QStringLiteral("stop%1_%2").arg(memoryLimit).arg(k));
            testing_child::ChildProcess child(importChild, {s->AppDir().toStdString(), sheet.toStdString(),
                                                            std::to_string(k), std::to_string(memoryLimit)});
            const testing_child::Status status = child.wait();
            const bool killed = status.killed();
            ASSERT_TRUE(killed || status.exited(0)) << trial << ": " << status.describe();
            rolledBack += expectBeforeOrFinished(*s, trial);
            if (HasFailure()) return;
            if (!killed) break;
            ASSERT_LT(k, 20 * total) << "memory " << memoryLimit;
        }
        // The stops before the commit's last step all rolled back.
        EXPECT_GT(rolledBack, 5) << "memory " << memoryLimit;
    }
}

// terralog-import itself, killed at random moments of its writing (from the
// first byte of its journal on) and as soon as it has advanced the counters.
TEST_F(ImportCrashTest, TerralogImportKilledWhileWritingLeavesAllOrNothing) {
    prepare(1500);
    finishImport();
    const auto start = [&](const data::DataStore& s) {
        return std::make_unique<testing_child::ChildProcess>(
            testing_paths::builtProgram("terralog-import"),
            testing_child::Arguments{"--data", s.DataDir().toStdString(), "--annex", "Anexa 2A", "--delete-existing",
                                     sheet.toStdString()});
    };
    const auto journalOf = [](const data::DataStore& s) {
        return s.tablePath(data::DataStore::kSettingsFileName) + QStringLiteral("-journal");
    };

    // How long the writing lasts, from the journal's making to the end.
    const auto timed = copy(QStringLiteral("timed"));
    const auto whole = start(*timed);
    while (whole->status().running() && !QFile::exists(journalOf(*timed))) std::this_thread::sleep_for(std::chrono::microseconds(100));
    const Clock::time_point writing = Clock::now();
    const testing_child::Status status = whole->wait();
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - writing);
    ASSERT_TRUE(status.exited(0)) << status.describe();
    EXPECT_TRUE(stateOf(*timed) == finished);

    std::mt19937 random(20261211);
    std::uniform_int_distribution<long> moment(0, std::max<long>(1, long(span.count())));
    const QByteArray settingsBefore = pristine[data::DataStore::kSettingsFileName];
    int killedWhileWriting = 0;
    for (int trial = 0; trial < 8; ++trial) {
        const auto s = copy(QStringLiteral("kill%1").arg(trial));
        const QString settings = s->tablePath(data::DataStore::kSettingsFileName);
        const auto import = start(*s);
        std::string when;
        if (trial % 2) {
            const long at = moment(random);
            while (import->status().running() && !QFile::exists(journalOf(*s))) std::this_thread::sleep_for(std::chrono::microseconds(100));
            std::this_thread::sleep_for(std::chrono::microseconds(at));
            when = std::to_string(at) + " us into the writing";
        } else {
            while (import->status().running() && testing_files::readFile(settings) == settingsBefore)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            when = "once the counters were advanced";
        }
        const bool killed = import->kill().killed();
        killedWhileWriting += killed;
        expectBeforeOrFinished(*s, "killed " + when);
        if (HasFailure()) return;
    }
    EXPECT_GT(killedWhileWriting, 3);
}

}  // namespace
