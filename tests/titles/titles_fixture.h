#pragma once

// A program folder in a temporary directory with the five empty tables, the
// start-up window that holds the shared data routines over it, a scripted
// seam for every question, and helpers to put rows into the tables and read
// them back. Shared by the tests of the titles folder.
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/query_rows.h"
#include "app/application.h"
#include "app/startup_window.h"
#include "data/data_store.h"
#include "engine/query.h"
#include "platform/interaction.h"

// Texts read as texts in the failure messages of the tests.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace titlestest {

// One application object for the whole test program, created before the
// first test. It is the program's own, so an error thrown by a handler that
// runs from the event loop (a posted key, a timer) reaches the general error
// box (recorded by the script) instead of ending the run.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_titles";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) app_ = new TerralogApplication(argc, argv);
    }

private:
    QApplication* app_ = nullptr;
};

inline ::testing::Environment* const applicationEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// Column values of a row to insert: field name and the literal written into
// the statement (texts already in double quotes, see text()).
using Values = std::vector<std::pair<QString, QString>>;

class TitlesFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TForm1> form1;
    platform::ScriptedAnswers answers;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        form1 = std::make_unique<TForm1>();
        store().setAppDir(dir.path());
        ASSERT_TRUE(QDir().mkpath(store().DataDir()));
        store().CreateTables();
    }

    void TearDown() override {
        EXPECT_TRUE(answers.problems().isEmpty()) << answers.problems().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(answers.pending(), 0) << "scripted answers left unused";
    }

    data::DataStore& store() { return form1->store(); }
    QString AppDir() { return store().AppDir(); }
    QString DataDir() { return store().DataDir(); }

    // The path of a table as statements write it, in double quotes.
    QString quoted(const QString& file) { return QLatin1Char('"') + store().tablePath(file) + QLatin1Char('"'); }
    static QString text(const QString& value) { return QLatin1Char('"') + value + QLatin1Char('"'); }

    static void settle() { QCoreApplication::processEvents(); }

    void exec(const QString& statement) {
        engine::Query q;
        q.add(statement.toStdString());
        q.execSQL();
    }

    void insert(const QString& file, const Values& values) {
        QStringList fields;
        QStringList literals;
        for (const auto& [field, literal] : values) {
            fields.append(field);
            literals.append(literal);
        }
        exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                 .arg(quoted(file), fields.join(QLatin1Char(',')), literals.join(QLatin1Char(','))));
    }

    // An annex line; its identifier comes from the program's own counter, so
    // lines the form adds later get other ones. Returns IDANEXA.
    int addLine(const QString& annex, const QString& village, const QString& name, Values more = {}) {
        const QString id = store().NextId(QStringLiteral("IDANEXA"));
        Values values{{"IDANEXA", id}, {"ANEXA", text(annex)}, {"SATUL", text(village)}, {"NUME", text(name)}};
        values.insert(values.end(), more.begin(), more.end());
        insert(QStringLiteral("Anexe1.dbf"), values);
        return id.toInt();
    }

    // A title, linked to the line when lineId is given (ANEXA then names
    // that line's annex). Returns IDTP.
    int addTitle(const QString& number, const QString& holder, Values more = {}) {
        const QString id = store().NextId(QStringLiteral("IDTP"));
        Values values{{"IDTP", id}, {"TPNR", text(number)}, {"TITULAR", text(holder)}};
        values.insert(values.end(), more.begin(), more.end());
        insert(QStringLiteral("TP.dbf"), values);
        return id.toInt();
    }
    int addLinkedTitle(int lineId, const QString& annex, const QString& number, const QString& holder,
                       Values more = {}) {
        more.push_back({"IDANEXA", QString::number(lineId)});
        more.push_back({"ANEXA", text(annex)});
        return addTitle(number, holder, more);
    }

    // A surface of a title. Returns IDDET.
    int addSurface(int titleId, const QString& type, const QString& category, const QString& area, Values more = {}) {
        const QString id = store().NextId(QStringLiteral("IDDET"));
        Values values{{"IDTP", QString::number(titleId)},
                      {"IDDET", id},
                      {"TIP", text(type)},
                      {"CATEG", text(category)},
                      {"SUPRAF", area}};
        values.insert(values.end(), more.begin(), more.end());
        insert(QStringLiteral("TPDET.dbf"), values);
        return id.toInt();
    }

    void addFile(int titleId, const QString& path) {
        insert(QStringLiteral("Fisiere.dbf"), {{"IDTP", QString::number(titleId)}, {"FISIER", text(path)}});
    }

    // Rows as text, fields joined by "|"; numbers in their shortest form,
    // dates dd.MM.yyyy, NULL as nothing.
    static std::vector<std::string> rows(const QString& select) {
        return testing_rows::queryRows(select);
    }

    // The rows of one table, restricted by a condition when it is given.
    std::vector<std::string> tableRows(const QString& file, const QString& fields, const QString& where = QString()) {
        QString select = QStringLiteral("SELECT %1 FROM %2").arg(fields, quoted(file));
        if (!where.isEmpty()) select += QStringLiteral(" WHERE ") + where;
        return rows(select);
    }

    // The balloons shown so far, as "target: text".
    QStringList balloons() const {
        QStringList out;
        for (const auto& r : answers.requestsOf(platform::DialogKind::Balloon)) out.append(r.target + ": " + r.text);
        return out;
    }
    // The questions asked so far, as "heading|text|kind|buttons".
    QStringList messages() const {
        QStringList out;
        for (const auto& r : answers.requestsOf(platform::DialogKind::Message))
            out.append(QStringLiteral("%1|%2|%3|%4").arg(r.heading, r.text).arg(r.messageKind).arg(r.buttons));
        return out;
    }
};

// Lines of a query as QStrings, for comparing statements line by line.
inline QStringList linesOf(const engine::Query& query) {
    QStringList out;
    for (const std::string& line : query.lines()) out.append(QString::fromStdString(line));
    return out;
}

}  // namespace titlestest
