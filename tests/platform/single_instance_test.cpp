#include "platform/single_instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

using Claim = platform::SingleInstance::Claim;

QString uniqueTitle() { return "Terralog test " + QUuid::createUuid().toString(); }

// Each test runs in a session of its own: XDG_RUNTIME_DIR points at a fresh
// private folder, as a login gives every user session.
class SingleInstanceTest : public ::testing::Test {
protected:
    QTemporaryDir runtime;
    QByteArray saved;

    void SetUp() override {
        ASSERT_TRUE(runtime.isValid());
        saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    void TearDown() override {
        if (saved.isEmpty()) qunsetenv("XDG_RUNTIME_DIR");
        else qputenv("XDG_RUNTIME_DIR", saved);
    }

    // A lock file as a living Terralog leaves it: this very process owns it
    // (the lock names the owner's executable, which must still match).
    static void writeLiveLock(const QString& path) {
        QFile lock(path);
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(QCoreApplication::applicationPid()) + "\n" +
                   QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() + "\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    }
};

TEST_F(SingleInstanceTest, SecondStartAsksTheFirstToComeForward) {
    const QString title = uniqueTitle();
    platform::SingleInstance first(title);
    ASSERT_EQ(first.claim(), Claim::Own);
    QSignalSpy spy(&first, &platform::SingleInstance::activationRequested);

    platform::SingleInstance second(title);
    EXPECT_EQ(second.claim(), Claim::RunningAsked);
    EXPECT_TRUE(spy.wait(3000));
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(SingleInstanceTest, OtherTitlesDoNotMeet) {
    platform::SingleInstance a(uniqueTitle());
    platform::SingleInstance b(uniqueTitle());
    EXPECT_EQ(a.claim(), Claim::Own);
    EXPECT_EQ(b.claim(), Claim::Own);
}

TEST_F(SingleInstanceTest, TheLockAndTheSocketLiveInTheSessionsRuntimeFolder) {
    platform::SingleInstance instance(uniqueTitle());
    ASSERT_EQ(instance.claim(), Claim::Own);
    EXPECT_EQ(QFileInfo(instance.lockFileName()).absolutePath(), QFileInfo(runtime.path()).absoluteFilePath());
    EXPECT_TRUE(QFileInfo::exists(instance.lockFileName()));
    EXPECT_TRUE(QFileInfo::exists(instance.socketName()));
}

// Another user, or the same user in another session, holds the name in the
// machine's shared temporary folder: this session starts all the same.
TEST_F(SingleInstanceTest, AnInstanceOutsideTheSessionDoesNotStopAStart) {
    const QString title = uniqueTitle();
    QString name;
    {
        platform::SingleInstance probe(title);
        name = QFileInfo(probe.socketName()).fileName();
    }
    const QString shared = QDir(QDir::tempPath()).filePath(name + ".lock");
    writeLiveLock(shared);

    platform::SingleInstance mine(title);
    EXPECT_EQ(mine.claim(1000), Claim::Own);
    QFile::remove(shared);
}

TEST_F(SingleInstanceTest, ALockWhoseOwnerDoesNotAnswerIsToldApart) {
    const QString title = uniqueTitle();
    platform::SingleInstance probe(title);
    writeLiveLock(probe.lockFileName());

    platform::SingleInstance second(title);
    EXPECT_EQ(second.claim(300), Claim::RunningUnreachable);
}

TEST_F(SingleInstanceTest, LeftoversOfACrashedRunDoNotBlock) {
    const QString title = uniqueTitle();
    QString lockName, socketName;
    {
        platform::SingleInstance probe(title);
        lockName = probe.lockFileName();
        socketName = probe.socketName();
    }
    // A lock file whose owner is gone, and a socket file nobody listens on.
    QFile lock(lockName);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("2147483646\nterralog\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    QFile socketFile(socketName);
    ASSERT_TRUE(socketFile.open(QIODevice::WriteOnly));
    socketFile.close();

    platform::SingleInstance next(title);
    EXPECT_EQ(next.claim(), Claim::Own);
    platform::SingleInstance later(title);
    EXPECT_EQ(later.claim(1000), Claim::RunningAsked);
}

}  // namespace
