// What a folder holds, for tests that check what a change of files left.
#pragma once

#include <algorithm>
#include <map>

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace testing_files {

// relative path -> bytes; a folder is its path with "/" and no bytes
using Content = std::map<QString, QByteArray>;

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// Every file and folder below `dir`, hidden ones included.
inline Content contentOf(const QString& dir) {
    Content content;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(dir).relativeFilePath(path);
        if (it.fileInfo().isDir())
            content[relative + "/"];
        else
            content[relative] = readFile(path);
    }
    return content;
}

// The names directly in `dir`, in byte order.
inline QStringList entriesOf(const QString& dir) {
    QStringList names = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testing_files
