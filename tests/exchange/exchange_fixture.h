#pragma once

// A program folder in a temporary directory with the five empty tables and
// the shared data routines over it, and helpers to put rows in and read
// them back. The application object is the program's own, headless.
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/application.h"
#include "common/query_rows.h"
#include "common/test_paths.h"
#include "data/data_store.h"
#include "engine/query.h"
#include "qstring_print.h"

namespace exchangetest {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_exchange";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new TerralogApplication(argc, argv);
    }
};

inline ::testing::Environment* const applicationEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

inline QString fixture(const QString& name) {
    return QString::fromStdString(testing_paths::fixture("workbooks/" + name.toStdString()));
}

class ExchangeFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    data::DataStore store;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        store.setAppDir(dir.path());
        ASSERT_TRUE(QDir().mkpath(store.DataDir()));
        store.CreateTables();
    }

    QString table(const QString& file) const { return store.tablePath(file); }
    QString quoted(const QString& file) const { return QLatin1Char('"') + table(file) + QLatin1Char('"'); }

    void run(const QString& statement) {
        engine::Query q;
        q.add(statement.toStdString());
        q.execSQL();
    }
    std::vector<std::string> rows(const QString& select) { return testing_rows::queryRows(select); }

    // An annex line: its identifier, annex, position, village and name.
    void addLine(int id, const QString& annex, int position, const QString& village, const QString& name,
                 const QString& subAnnex = QString()) {
        run(QStringLiteral("INSERT INTO %1 (IDANEXA, ANEXA, TIPANX, NRCRTA, SATUL, NUME) VALUES (%2, \"%3\", \"%4\", "
                           "%5, \"%6\", \"%7\")")
                .arg(quoted(QStringLiteral("Anexe1.dbf")))
                .arg(id)
                .arg(annex, subAnnex.isEmpty() ? annex : subAnnex)
                .arg(position)
                .arg(village, name));
    }
    void addTitle(int id, const QString& number, const QString& village, const QString& holder, const QString& annex,
                  int line, const QString& area = QStringLiteral("1")) {
        run(QStringLiteral("INSERT INTO %1 (IDTP, TPNR, TPCOD, TITULAR, INSAT, DATA, SUPTOT, ANEXA, IDANEXA) VALUES "
                           "(%2, \"%3\", 9, \"%4\", \"%5\", \"02.03.2001\", %6, \"%7\", %8)")
                .arg(quoted(QStringLiteral("TP.dbf")))
                .arg(id)
                .arg(number, holder, village, area, annex)
                .arg(line));
    }

    // The bytes of every file of the data folder, to show nothing changed.
    std::vector<QByteArray> dataFiles() const {
        std::vector<QByteArray> out;
        for (const QFileInfo& f : QDir(store.DataDir()).entryInfoList(QDir::Files, QDir::Name)) {
            QFile file(f.absoluteFilePath());
            file.open(QIODevice::ReadOnly);
            out.push_back(f.fileName().toUtf8() + ":" + file.readAll());
        }
        return out;
    }
};

}  // namespace exchangetest
