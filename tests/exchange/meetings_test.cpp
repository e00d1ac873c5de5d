// Programs that meet on one data folder, as an administrator's scripts and a
// clerk's Terralog do: two imports at once, a backup during an import, an
// import during a restore, a restore stopped midway, and all of them
// together with the program's own writes and a statement loop. Afterwards
// every table is sound, every identifier unique, every row a command said it
// wrote is there, and every archive saved restores to sound tables.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include <QProcess>

#include "common/test_paths.h"
#include "engine/folder_swap.h"
#include "engine/integrity.h"
#include "exchange/annex_export.h"
#include "exchange/export_source.h"
#include "exchange/export_writer.h"
#include "exchange/workbook_reader.h"
#include "exchange_fixture.h"
#include "platform/data_dir_lock.h"
#include "platform/native_path.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Ran {
    int exit = -1;
    QString out, err;
};

// A command-line program run to its end (in whichever thread calls it).
Ran runProgram(const std::string& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(QString::fromStdString(testing_paths::builtProgram(program)), args);
    if (!p.waitForStarted(30000)) return {};
    if (!input.isEmpty()) p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(180000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

class MeetingsTest : public exchangetest::ExchangeFixture {
protected:
    // A sheet of `rows` lines of the annex, each holder named "<tag> <r>"
    // and each line with a title "<tag>-<r>".
    QString sheet(const QString& tag, int rows, const QString& annex = QStringLiteral("Anexa 2A")) {
        std::vector<exchange::ExportColumn> columns;
        for (const QString& caption : exchange::sheetCaptions()) columns.push_back({caption});
        std::vector<std::vector<std::string>> cells;
        for (int r = 1; r <= rows; ++r) {
            std::vector<std::string> row{std::to_string(r), annex.toStdString(), "BRAN",
                                         (tag + QStringLiteral(" %1").arg(r)).toStdString()};
            for (int c = 5; c <= 20; ++c) row.push_back(c == 9 ? "** NUL **" : "1.25");
            row.push_back((tag + QStringLiteral("-%1").arg(r)).toStdString());
            row.push_back("2.5");
            cells.push_back(std::move(row));
        }
        const QString path = dir.path() + QLatin1Char('/') + tag + QStringLiteral(".xlsx");
        exchange::writeExport(exchange::TableExportSource(columns, cells), exchange::ExportFormat::Xlsx, path, {}, nullptr);
        return path;
    }

    QStringList importArgs(const QString& data, const QString& file, const QString& annex = QStringLiteral("Anexa 2A")) {
        return {QStringLiteral("--data"), data, QStringLiteral("--annex"), annex, file};
    }

    // The holders named "<tag> ..." in the annex lines of a data folder.
    static int linesOf(const QString& data, const QString& tag) {
        const auto names = testing_rows::queryRows(QStringLiteral("SELECT NUME FROM \"%1\"")
                                                       .arg(QString::fromStdString(platform::nativePath(data + QStringLiteral("/Anexe1.dbf")))));
        const std::string prefix = tag.toStdString() + " ";
        return int(std::count_if(names.begin(), names.end(), [&](const std::string& n) { return n.rfind(prefix, 0) == 0; }));
    }

    // Every table passes the integrity check, identifiers are unique, and
    // each counter stands at or past the largest identifier of its table.
    static void expectSound(const QString& data, const std::string& where) {
        for (const char* name : {"TP.DBF", "TPDET.DBF", "ANEXE1.DBF", "RF.DBF", "Fisiere.dbf"}) {
            const auto problems = engine::checkTableFile(platform::nativePath(data + QLatin1Char('/') + name));
            EXPECT_TRUE(problems.empty()) << where << ": " << name << ": " << problems.front();
        }
        data::DataStore s;
        s.setAppDir(QFileInfo(data).absolutePath());
        s.setDataDir(data);
        const struct {
            const char* table;
            const char* id;
        } counters[] = {{"Anexe1.dbf", "IDANEXA"}, {"TP.dbf", "IDTP"}};
        for (const auto& c : counters) {
            const auto ids = testing_rows::queryRows(QStringLiteral("SELECT %1 FROM \"%2\"")
                                                         .arg(QLatin1String(c.id), s.tablePath(QLatin1String(c.table))));
            std::set<long long> seen;
            long long largest = 0;
            for (const std::string& id : ids) {
                const long long value = std::stoll(id);
                EXPECT_TRUE(seen.insert(value).second) << where << ": " << c.id << " " << value << " twice";
                largest = std::max(largest, value);
            }
            EXPECT_GE(s.ReadCounter(QLatin1String(c.id)).toLongLong(), largest) << where << ": counter " << c.id;
        }
    }

    QString data() const { return store.DataDir(); }
};

// Two imports at once: the second waits for the first, both land, and the
// identifiers they hand out are unique; a third finds the counters past both.
TEST_F(MeetingsTest, TwoImportsAtOnceBothLandWithUniqueIdentifiers) {
    const QString first = sheet(QStringLiteral("UNU"), 400), second = sheet(QStringLiteral("DOI"), 400, QStringLiteral("Anexa 3")),
                  third = sheet(QStringLiteral("TREI"), 50);
    Ran a, b;
    std::thread one([&] { a = runProgram("terralog-import", importArgs(data(), first)); });
    std::thread two([&] { b = runProgram("terralog-import", importArgs(data(), second, QStringLiteral("Anexa 3"))); });
    one.join();
    two.join();
    EXPECT_EQ(a.exit, 0) << a.err.toStdString();
    EXPECT_EQ(b.exit, 0) << b.err.toStdString() << b.out.toStdString();
    EXPECT_EQ(linesOf(data(), QStringLiteral("UNU")), 400);
    EXPECT_EQ(linesOf(data(), QStringLiteral("DOI")), 400);
    const Ran c = runProgram("terralog-import", importArgs(data(), third));
    EXPECT_EQ(c.exit, 0) << c.err.toStdString();
    expectSound(data(), "after three imports");
}

// A save during an import holds every table at one moment: each archive it
// writes restores to tables whose headers count their records, with the
// import's lines all there or none.
TEST_F(MeetingsTest, ABackupDuringAnImportIsOneMoment) {
    const QString file = sheet(QStringLiteral("MARE"), 3000);
    std::atomic<bool> importing{true};
    Ran imported;
    std::thread import([&] {
        imported = runProgram("terralog-import", importArgs(data(), file));
        importing = false;
    });
    std::vector<QString> archives;
    for (int n = 0; importing || n == 0; ++n) {
        const QString archive = dir.path() + QStringLiteral("/salvare%1.tlg").arg(n);
        const Ran saved = runProgram("terralog-backup", {QStringLiteral("save"), QStringLiteral("--data"), data(), archive});
        if (saved.exit == 0) archives.push_back(archive);
    }
    import.join();
    ASSERT_EQ(imported.exit, 0) << imported.err.toStdString();
    ASSERT_FALSE(archives.empty());
    for (size_t n = 0; n < archives.size(); ++n) {
        const QString restored = dir.path() + QStringLiteral("/restaurat%1/Data").arg(n);
        ASSERT_TRUE(QDir().mkpath(restored));
        const Ran back = runProgram("terralog-backup", {QStringLiteral("restore"), QStringLiteral("--data"), restored, archives[n]});
        ASSERT_EQ(back.exit, 0) << back.err.toStdString();
        const int lines = linesOf(restored, QStringLiteral("MARE"));
        EXPECT_TRUE(lines == 0 || lines == 3000) << "archive " << n << ": " << lines << " lines";
        expectSound(restored, "archive " + std::to_string(n));
    }
}

// An import started while a restore replaces the folder waits for it and
// writes into the restored data: its lines are there afterwards.
TEST_F(MeetingsTest, AnImportDuringARestoreLandsInTheRestoredData) {
    // A register large enough for the restore to take a while.
    const QString big = sheet(QStringLiteral("VECHI"), 6000);
    ASSERT_EQ(runProgram("terralog-import", importArgs(data(), big)).exit, 0);
    const QString archive = dir.path() + QStringLiteral("/salvare.tlg");
    ASSERT_EQ(runProgram("terralog-backup", {QStringLiteral("save"), QStringLiteral("--data"), data(), archive}).exit, 0);
    const QString file = sheet(QStringLiteral("NOU"), 30);

    Ran restored;
    std::thread restore([&] {
        restored = runProgram("terralog-backup", {QStringLiteral("restore"), QStringLiteral("--data"), data(), archive});
    });
    const QString fresh = QString::fromStdString(engine::FolderSwap::fresh(platform::nativePath(data())));
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (!QFileInfo::exists(fresh) && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const Ran imported = runProgram("terralog-import", importArgs(data(), file));
    restore.join();
    EXPECT_EQ(restored.exit, 0) << restored.err.toStdString();
    EXPECT_EQ(imported.exit, 0) << imported.err.toStdString();
    EXPECT_EQ(linesOf(data(), QStringLiteral("NOU")), 30);
    EXPECT_EQ(linesOf(data(), QStringLiteral("VECHI")), 6000);
    expectSound(data(), "after the restore and the import");
}

// A restore stopped between its two renames leaves no Data folder, only the
// old and the new content beside it: every front finishes the swap before it
// reads or writes, and finds the restored data.
TEST_F(MeetingsTest, EveryFrontFinishesAStoppedRestore) {
    ASSERT_EQ(runProgram("terralog-import", importArgs(data(), sheet(QStringLiteral("RESTAURAT"), 20))).exit, 0);
    const QString archive = dir.path() + QStringLiteral("/salvare.tlg");
    ASSERT_EQ(runProgram("terralog-backup", {QStringLiteral("save"), QStringLiteral("--data"), data(), archive}).exit, 0);
    const QString later = sheet(QStringLiteral("INLOCUIT"), 20);
    const std::string tablePath = platform::nativePath(data() + QStringLiteral("/Anexe1.dbf"));
    const std::vector<std::pair<const char*, std::function<Ran()>>> fronts = {
        {"terralog-sql", [&] { return runProgram("terralog-sql", {}, QByteArray::fromStdString("SELECT COUNT(*) FROM \"" + tablePath + "\"")); }},
        {"terralog-export",
         [&] {
             return runProgram("terralog-export", {QStringLiteral("--data"), data(), QStringLiteral("--annex"),
                                                      QStringLiteral("Anexa 2A"), QStringLiteral("--format"),
                                                      QStringLiteral("txt"), dir.path() + QStringLiteral("/lista.txt")});
         }},
        {"terralog-backup save",
         [&] {
             return runProgram("terralog-backup", {QStringLiteral("save"), QStringLiteral("--data"), data(), QStringLiteral("--force"),
                                                      dir.path() + QStringLiteral("/din-nou.tlg")});
         }},
        {"terralog-import", [&] { return runProgram("terralog-import", importArgs(data(), sheet(QStringLiteral("DUPA"), 5))); }},
    };
    for (const auto& [name, front] : fronts) {
        // Today's data gets lines the archive lacks, then a restore stops right
        // after the old folder moved aside.
        ASSERT_EQ(runProgram("terralog-import", importArgs(data(), later)).exit, 0) << name;
        const QString restored = dir.path() + QStringLiteral("/restaurat/Data");
        QDir(restored).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(restored));
        ASSERT_EQ(runProgram("terralog-backup", {QStringLiteral("restore"), QStringLiteral("--data"), restored, archive}).exit, 0);
        const std::string folder = platform::nativePath(data());
        ASSERT_TRUE(QDir().rename(data(), QString::fromStdString(engine::FolderSwap::old(folder)))) << name;
        ASSERT_TRUE(QDir().rename(restored, QString::fromStdString(engine::FolderSwap::ready(folder)))) << name;
        ASSERT_FALSE(QFileInfo::exists(data())) << name;
        const Ran ran = front();
        EXPECT_EQ(ran.exit, 0) << name << ": " << ran.err.toStdString();
        EXPECT_TRUE(QFileInfo(data()).isDir()) << name;
        EXPECT_EQ(linesOf(data(), QStringLiteral("RESTAURAT")), 20) << name;
        EXPECT_EQ(linesOf(data(), QStringLiteral("INLOCUIT")), 0) << name;
        EXPECT_FALSE(engine::FolderSwap::pending(platform::nativePath(data()))) << name;
    }
}

// All of them at once for a bounded time: the program holds the folder for
// its first seconds, handing out identifiers and adding lines with its
// datasets open, while two import loops, a statement loop and a save loop
// wait for it and then go on among themselves. Each command that said it
// wrote finds its rows; each that failed left none; every archive restores
// to sound tables.
TEST_F(MeetingsTest, AllTogetherNothingIsLost) {
    ASSERT_EQ(runProgram("terralog-import", importArgs(data(), sheet(QStringLiteral("BAZA"), 5))).exit, 0);
    const std::string annexes = platform::nativePath(data() + QStringLiteral("/Anexe1.dbf"));
    const auto start = Clock::now();
    const auto programEnd = start + std::chrono::seconds(3), end = start + std::chrono::seconds(8);

    platform::DataDirLock program;
    ASSERT_TRUE(program.lock(data()));

    struct Imported {
        QString tag;
        int exit;
    };
    std::vector<Imported> importsA, importsB;
    const auto importLoop = [&](const QString& prefix, const QString& annex, std::vector<Imported>& done) {
        for (int n = 0; Clock::now() < end; ++n) {
            const QString tag = prefix + QString::number(n);
            const QString file = sheet(tag, 40, annex);
            done.push_back({tag, runProgram("terralog-import", importArgs(data(), file, annex)).exit});
        }
    };
    int lastUpdate = -1;
    const auto statementLoop = [&] {
        for (int n = 0; Clock::now() < end; ++n) {
            const std::string update = "UPDATE \"" + annexes + "\" SET MOSTEN=\"SQL " + std::to_string(n) +
                                       "\" WHERE NUME=\"BAZA 1\"\n";
            if (runProgram("terralog-sql", {}, QByteArray::fromStdString(update)).exit == 0) lastUpdate = n;
            runProgram("terralog-sql", {}, QByteArray::fromStdString("SELECT COUNT(*) FROM \"" + annexes + "\"\n"));
        }
    };
    std::vector<QString> archives;
    const auto saveLoop = [&] {
        for (int n = 0; Clock::now() < end; ++n) {
            const QString archive = dir.path() + QStringLiteral("/toate%1.tlg").arg(n);
            if (runProgram("terralog-backup", {QStringLiteral("save"), QStringLiteral("--data"), data(), archive}).exit == 0)
                archives.push_back(archive);
        }
    };
    std::thread a([&] { importLoop(QStringLiteral("IA"), QStringLiteral("Anexa 2A"), importsA); });
    std::thread b([&] { importLoop(QStringLiteral("IB"), QStringLiteral("Anexa 3"), importsB); });
    std::thread statements(statementLoop);
    std::thread saves(saveLoop);

    // The program's own writes, with a dataset open as its forms keep one.
    int programLines = 0;
    {
        engine::Query open;
        open.add("SELECT * FROM \"" + annexes + "\"");
        open.open();
        while (Clock::now() < programEnd) {
            const QString id = store.NextId(QStringLiteral("IDANEXA"));
            run(QStringLiteral("INSERT INTO %1 (IDANEXA, ANEXA, TIPANX, NRCRTA, SATUL, NUME) VALUES (%2, \"Anexa 2A\", "
                               "\"Anexa 2A\", %3, \"BRAN\", \"PROGRAM %3\")")
                    .arg(quoted(QStringLiteral("Anexe1.dbf")), id)
                    .arg(++programLines));
        }
        open.close();
    }
    program.unlock();
    for (std::thread* t : {&a, &b, &statements, &saves}) t->join();

    EXPECT_EQ(linesOf(data(), QStringLiteral("PROGRAM")), programLines);
    int landed = 0;
    for (const auto* imports : {&importsA, &importsB})
        for (const Imported& i : *imports) {
            EXPECT_EQ(linesOf(data(), i.tag), i.exit == 0 ? 40 : 0) << i.tag.toStdString() << " exit " << i.exit;
            landed += i.exit == 0;
        }
    EXPECT_GT(landed, 0);
    ASSERT_GE(lastUpdate, 0);
    EXPECT_EQ(rows(QStringLiteral("SELECT MOSTEN FROM %1 WHERE NUME=\"BAZA 1\"").arg(quoted(QStringLiteral("Anexe1.dbf")))),
              std::vector<std::string>{"SQL " + std::to_string(lastUpdate)});
    expectSound(data(), "after all of them");
    ASSERT_FALSE(archives.empty());
    for (size_t n = 0; n < archives.size(); ++n) {
        const QString restored = dir.path() + QStringLiteral("/toate%1/Data").arg(n);
        ASSERT_TRUE(QDir().mkpath(restored));
        const Ran back = runProgram("terralog-backup", {QStringLiteral("restore"), QStringLiteral("--data"), restored, archives[n]});
        ASSERT_EQ(back.exit, 0) << back.err.toStdString();
        expectSound(restored, "archive " + std::to_string(n));
    }
}

}  // namespace
