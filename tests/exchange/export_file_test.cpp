// An export reaches the clerk's file whole or not at all: it is written under
// a name of its own beside the target and takes the target's name only when
// complete.
#include <stdexcept>
#include <thread>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "exchange/export_writer.h"

namespace {

const char* const kKeys[] = {"html", "doc", "xls", "xlsx", "txt", "rtf", "csv", "tab", "dif", "slk"};

// Rows that stop being readable at the third: a dataset that failed midway.
class FailingSource : public exchange::ExportSource {
public:
    const std::vector<exchange::ExportColumn>& columns() const override { return columns_; }
    int rowCount() const override { return 5; }
    void cell(int row, int, std::string& text) const override {
        if (row == 2) throw std::runtime_error("randul nu poate fi citit");
        text = "valoare";
    }

private:
    std::vector<exchange::ExportColumn> columns_{{QStringLiteral("NUME")}};
};

exchange::TableExportSource rowsOf(int count) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < count; ++r) rows.push_back({std::to_string(r), "Ştefăneşti"});
    return exchange::TableExportSource({{QStringLiteral("Nr."), true}, {QStringLiteral("SATUL"), false, true}},
                                       std::move(rows));
}

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(ExportFile, AFailedExportLeavesTheOldFileAndNoPartOfTheNew) {
    QTemporaryDir dir;
    for (const char* key : kKeys) {
        SCOPED_TRACE(key);
        const QString target = dir.filePath(QStringLiteral("lista.") + QLatin1String(key));
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("lista de ieri");
        old.close();
        EXPECT_THROW(exchange::writeExport(FailingSource(), *exchange::formatFromKey(QLatin1String(key)), target, {}, nullptr),
                     std::exception);
        EXPECT_EQ(contentOf(target), QByteArray("lista de ieri"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("lista.") + QLatin1String(key)});
        QFile::remove(target);
    }
}

// Exports of one process at the same time, into one folder, each whole.
TEST(ExportFile, ExportsAtOnceEachLandWhole) {
    QTemporaryDir dir;
    for (const char* key : kKeys) {
        SCOPED_TRACE(key);
        const auto format = *exchange::formatFromKey(QLatin1String(key));
        const QString alone = dir.filePath(QStringLiteral("singur"));
        exchange::writeExport(rowsOf(3000), format, alone, {}, nullptr);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                exchange::writeExport(rowsOf(3000), format, dir.filePath(QStringLiteral("impreuna%1").arg(t)), {}, nullptr);
            });
        for (std::thread& t : threads) t.join();
        // Same rows, same bytes, but for what records the moment (xlsx).
        for (int t = 0; t < 4; ++t)
            EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("impreuna%1").arg(t))).size(), QFileInfo(alone).size()) << t;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 5);
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files)) QFile::remove(dir.filePath(name));
    }
}

}  // namespace
