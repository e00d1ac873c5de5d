#include "platform/single_instance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QSignalSpy>
#include <QSysInfo>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

QString uniqueTitle() { return "Terralog test " + QUuid::createUuid().toString(); }

TEST(SingleInstance, SecondStartAsksTheFirstToComeForward) {
    const QString title = uniqueTitle();
    platform::SingleInstance first(title);
    ASSERT_TRUE(first.claim());
    QSignalSpy spy(&first, &platform::SingleInstance::activationRequested);

    platform::SingleInstance second(title);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(spy.wait(3000));
    EXPECT_EQ(spy.count(), 1);
}

TEST(SingleInstance, OtherTitlesDoNotMeet) {
    platform::SingleInstance a(uniqueTitle());
    platform::SingleInstance b(uniqueTitle());
    EXPECT_TRUE(a.claim());
    EXPECT_TRUE(b.claim());
}

TEST(SingleInstance, LeftoversOfACrashedRunDoNotBlock) {
    const QString title = uniqueTitle();
    QString name;
    {
        platform::SingleInstance probe(title);
        name = probe.socketName();
    }
    // A lock file whose owner is gone, and a socket file nobody listens on.
    QFile lock(QDir(QDir::tempPath()).filePath(name + ".lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("2147483646\nterralog\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    QFile socketFile(QDir(QDir::tempPath()).filePath(name));
    ASSERT_TRUE(socketFile.open(QIODevice::WriteOnly));
    socketFile.close();

    platform::SingleInstance next(title);
    EXPECT_TRUE(next.claim());
    platform::SingleInstance later(title);
    EXPECT_FALSE(later.claim(1000));
}

}  // namespace
