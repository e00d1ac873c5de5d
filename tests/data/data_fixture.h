#pragma once

#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/query_rows.h"
#include "data/data_store.h"
#include "engine/database.h"
#include "engine/query.h"

// A program folder in a temporary directory with an empty Data folder, the
// store over it, and helpers to run statements and read rows back.
class DataFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    data::DataStore store{dir.path()};
    std::vector<QStringList> log;

    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(store.DataDir()));
        store.setStatementLog(&log);
    }

    // The path as statements write it, in double quotes.
    QString quoted(const QString& file) const { return "\"" + store.tablePath(file) + "\""; }

    void exec(const QString& statement) {
        engine::Query q;
        q.add(statement.toStdString());
        q.execSQL();
    }

    // Rows as text, fields joined by "|"; numbers in their shortest form.
    std::vector<std::string> rows(const QString& select) {
        return testing_rows::queryRows(select);
    }

    std::vector<std::string> columnNames(const QString& file) {
        std::vector<std::string> names;
        for (const engine::FieldDef& f : engine::Database::global().table(store.tablePath(file).toStdString())->fields())
            names.push_back(f.name);
        return names;
    }

    QByteArray bytesOf(const QString& file) {
        QFile f(store.tablePath(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};
