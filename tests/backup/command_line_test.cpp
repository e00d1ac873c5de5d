// terralog-backup, run as an administrator's scheduled task would.
#include <QProcess>

#include "backup_fixture.h"
#include "common/test_paths.h"

namespace {

using testbackup::Content;
using testbackup::contentOf;
using testbackup::readFile;
using testbackup::writeFile;

struct Outcome {
    int code = -1;
    QString out, err;
};

Outcome run(const QStringList& arguments) {
    QProcess p;
    p.start(QString::fromStdString(testing_paths::builtProgram("terralog-backup")), arguments);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

class CommandLineTest : public testbackup::BackupFixture {
protected:
    const Content saved{{"TP.DBF", testbackup::tableLike(200000, 9)}, {"Terralog.ini", "[INDEX]\r\nIDTP=4\r\n"}};
    void SetUp() override {
        BackupFixture::SetUp();
        put(saved);
    }
};

TEST_F(CommandLineTest, WrongUsageExitsWith2) {
    const QStringList cases[] = {{},
                                 {"copy", "a.tlg"},
                                 {"save", "a.tlg"},
                                 {"restore", "a.tlg"},
                                 {"save", "--data", "x"},
                                 {"verify", "--data", "x", "a.tlg"},
                                 {"list", "a.tlg", "b.tlg"},
                                 {"restore", "--force", "--data", "x", "a.tlg"},
                                 {"verify", "--fast", "a.tlg"}};
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Outcome r = run(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.startsWith("terralog-backup: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("Folosire:"));
    }
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains("terralog-backup save --data DIR [--force] ARHIVA"));
}

TEST_F(CommandLineTest, SaveListVerifyRestore) {
    const QString archive = path("noapte.tlg");
    EXPECT_EQ(run({"save", "--data", data(), archive}).code, 0);

    const Outcome listed = run({"list", archive});
    EXPECT_EQ(listed.code, 0);
    QStringList lines = listed.out.split('\n', Qt::SkipEmptyParts);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{"Data\\TP.DBF\t200000", "Data\\Terralog.ini\t17"}));

    const Outcome verified = run({"verify", archive});
    EXPECT_EQ(verified.code, 0);
    EXPECT_TRUE(verified.out.contains("2 fisiere, 200017 octeti")) << verified.out.toStdString();

    writeFile(data() + "/TP.DBF", "changed");
    EXPECT_EQ(run({"restore", "--data", data(), archive}).code, 0);
    EXPECT_EQ(contentOf(data()), saved);

    // Into a data directory that does not exist yet.
    EXPECT_EQ(run({"restore", "--data", path("alta/Data"), archive}).code, 0);
    EXPECT_EQ(contentOf(path("alta/Data")), saved);
}

TEST_F(CommandLineTest, SaveReplacesAnArchiveOnlyWithForce) {
    const QString archive = path("noapte.tlg");
    writeFile(archive, "last night's archive");
    const Outcome refused = run({"save", "--data", data(), archive});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains("--force")) << refused.err.toStdString();
    EXPECT_EQ(readFile(archive), "last night's archive");

    EXPECT_EQ(run({"save", "--force", "--data", data(), archive}).code, 0);
    EXPECT_EQ(run({"verify", archive}).code, 0);
}

TEST_F(CommandLineTest, NothingToSaveIsAFailure) {
    QDir().mkpath(path("gol"));
    writeFile(path("gol/TP.DBF"), "");
    const Outcome r = run({"save", "--data", path("gol"), path("a.tlg")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("nu am scris nici o arhiva"));
    EXPECT_FALSE(QFile::exists(path("a.tlg")));
    EXPECT_EQ(run({"save", "--data", path("lipsa"), path("a.tlg")}).code, 1);
}

TEST_F(CommandLineTest, RestoreRefusesWhileTheDataDirectoryIsHeld) {
    const QString archive = path("noapte.tlg");
    ASSERT_EQ(run({"save", "--data", data(), archive}).code, 0);
    writeFile(data() + "/TP.DBF", "in use by the program");
    ASSERT_TRUE(lock.lock(data()));
    const Outcome r = run({"restore", "--data", data(), archive});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("sunt folosite de alt program")) << r.err.toStdString();
    EXPECT_EQ(readFile(data() + "/TP.DBF"), "in use by the program");
    lock.unlock();
    EXPECT_EQ(run({"restore", "--data", data(), archive}).code, 0);
    EXPECT_EQ(contentOf(data()), saved);
}

TEST_F(CommandLineTest, ADamagedArchiveFailsNamingTheRecordAndRestoresNothing) {
    const QString archive = path("noapte.tlg");
    ASSERT_EQ(run({"save", "--data", data(), archive}).code, 0);
    QByteArray bytes = readFile(archive);
    bytes[bytes.size() - 30] = char(bytes[bytes.size() - 30] ^ 0x10);
    writeFile(archive, bytes);
    writeFile(data() + "/TP.DBF", "today's titles");

    for (const char* command : {"verify", "list"}) {
        const Outcome r = run({command, archive});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains("Inregistrarea 2 din 2")) << r.err.toStdString();
    }
    const Outcome r = run({"restore", "--data", data(), archive});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(readFile(data() + "/TP.DBF"), "today's titles");
    EXPECT_EQ(run({"restore", "--data", data(), path("lipsa.tlg")}).code, 1);
}

}  // namespace
