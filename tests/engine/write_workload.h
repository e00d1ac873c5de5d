// A workload of every kind of write, with a model of what the folder must
// hold before and after each of its steps: the crash and fault tests stop it
// anywhere and compare what an opening then finds with the model.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/integrity.h"
#include "engine/statement.h"
#include "engine/transaction.h"
#include "temp_dir.h"

namespace workload {

struct TableState {
    std::vector<std::string> fields;
    std::vector<std::vector<std::string>> rows;  // live records, as text
    bool operator==(const TableState& o) const { return fields == o.fields && rows == o.rows; }
};

struct State {
    TableState a, b;
    std::string settings;
    bool operator==(const State& o) const { return a == o.a && b == o.b && settings == o.settings; }
};

inline std::string describe(const TableState& t) {
    std::string s;
    for (const auto& f : t.fields) s += f + " ";
    s += "| " + std::to_string(t.rows.size()) + " rows";
    for (size_t r = 0; r < t.rows.size() && r < 4; ++r) {
        s += " [";
        for (const auto& v : t.rows[r]) s += v + ",";
        s += "]";
    }
    return s;
}

inline std::string describe(const State& s) {
    return "A: " + describe(s.a) + "\nB: " + describe(s.b) + "\nsettings: " + s.settings;
}

inline void PrintTo(const State& s, std::ostream* os) { *os << describe(s); }

inline void writeWhole(const std::string& path, const std::string& content) { writeBytes(path, content); }

// The steps and the model, for a folder and a number of rows.
class Workload {
public:
    Workload(std::string dir, int rows) : dir_(std::move(dir)), n_(rows) {}

    std::string a() const { return dir_ + engine::os::kSeparator + "A.DBF"; }
    std::string b() const { return dir_ + engine::os::kSeparator + "B.DBF"; }
    std::string settings() const { return dir_ + engine::os::kSeparator + "S.INI"; }

    // Two empty tables and the settings file: the state before step 0.
    void setUp() const {
        engine::Database db;
        run(db, "CREATE TABLE \"" + a() + "\" (ID DECIMAL(10,0), NAME CHAR(20), AMT DECIMAL(12,2))");
        run(db, "CREATE TABLE \"" + b() + "\" (ID DECIMAL(10,0), NOTE CHAR(30))");
        writeWhole(settings(), "[INDEX]\nIDTP=1\n");
    }

    size_t steps() const { return 10; }

    // Step `i` of the workload on a catalog of its own.
    void runStep(size_t i) const {
        engine::Database db;
        const std::string A = "\"" + a() + "\"", B = "\"" + b() + "\"";
        switch (i) {
        case 0: {  // a loop of point statements in one transaction
            engine::Transaction t(db);
            for (int id = 1; id <= n_; ++id)
                run(db, "INSERT INTO " + A + " VALUES (" + std::to_string(id) + ", \"N" + std::to_string(id) + "\", " +
                            std::to_string(id) + ")");
            t.commit();
            break;
        }
        case 1: run(db, "UPDATE " + A + " SET AMT=AMT+10"); break;
        case 2: run(db, "DELETE FROM " + A + " WHERE ID>" + std::to_string(n_ / 2)); break;
        case 3: run(db, "INSERT INTO " + B + " (ID, NOTE) SELECT ID, NAME FROM " + A); break;
        case 4: run(db, "ALTER TABLE " + A + " ADD CODE CHAR(4)"); break;
        case 5: {  // several tables in one transaction
            engine::Transaction t(db);
            run(db, "UPDATE " + A + " SET CODE=\"X\" WHERE ID<=2");
            run(db, "DELETE FROM " + B + " WHERE ID=1");
            run(db, "INSERT INTO " + B + " VALUES (1000, \"nou\")");
            t.commit();
            break;
        }
        case 6: db.packTable(a()); break;
        case 7: {  // an upgrade step: new column and its values
            engine::Transaction t(db);
            run(db, "ALTER TABLE " + B + " ADD QTY DECIMAL(5,0)");
            run(db, "UPDATE " + B + " SET QTY=7");
            t.commit();
            break;
        }
        case 8: {  // abandoned
            engine::Transaction t(db);
            run(db, "UPDATE " + A + " SET NAME=\"gone\"");
            run(db, "DELETE FROM " + B);
            t.rollback();
            break;
        }
        case 9: {  // the counter and the rows that use it
            engine::Transaction t(db);
            t.protectFile(settings());
            run(db, "INSERT INTO " + B + " VALUES (2000, \"cu contor\", 1)");
            writeWhole(settings(), "[INDEX]\nIDTP=2000\n");
            t.commit();
            break;
        }
        }
    }

    // The model: what the folder holds after `done` steps.
    State expected(size_t done) const {
        State s;
        s.a.fields = {"ID", "NAME", "AMT"};
        s.b.fields = {"ID", "NOTE"};
        s.settings = "[INDEX]\nIDTP=1\n";
        const int half = n_ / 2;
        for (size_t step = 0; step < done; ++step) {
            switch (step) {
            case 0:
                for (int id = 1; id <= n_; ++id) s.a.rows.push_back({std::to_string(id), "N" + std::to_string(id), std::to_string(id)});
                break;
            case 1:
                for (auto& r : s.a.rows) r[2] = std::to_string(std::stoi(r[2]) + 10);
                break;
            case 2: s.a.rows.resize(size_t(half)); break;
            case 3:
                for (const auto& r : s.a.rows) s.b.rows.push_back({r[0], r[1]});
                break;
            case 4:
                s.a.fields.push_back("CODE");
                for (auto& r : s.a.rows) r.push_back("");
                break;
            case 5:
                for (auto& r : s.a.rows)
                    if (std::stoi(r[0]) <= 2) r[3] = "X";
                for (size_t r = 0; r < s.b.rows.size();)
                    if (s.b.rows[r][0] == "1")
                        s.b.rows.erase(s.b.rows.begin() + long(r));
                    else
                        ++r;
                s.b.rows.push_back({"1000", "nou"});
                break;
            case 6: break;
            case 7:
                s.b.fields.push_back("QTY");
                for (auto& r : s.b.rows) r.push_back("7");
                break;
            case 8: break;
            case 9:
                s.b.rows.push_back({"2000", "cu contor", "1"});
                s.settings = "[INDEX]\nIDTP=2000\n";
                break;
            }
        }
        return s;
    }

    // What an opening finds, as the program would read it.
    State found() const {
        engine::Database db;
        State s;
        s.a = read(db, a());
        s.b = read(db, b());
        s.settings = readBytes(settings());
        return s;
    }

    // Problems of the tables and leftovers in the folder, after found().
    std::vector<std::string> problems() const {
        std::vector<std::string> out;
        for (const std::string& path : {a(), b()})
            for (const std::string& p : engine::checkTableFile(path)) out.push_back(path + ": " + p);
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(dir_))) {
            const std::string name = entry.path().filename().u8string();
            if (name != "A.DBF" && name != "B.DBF" && name != "S.INI") out.push_back("left in the folder: " + name);
        }
        return out;
    }

    static void run(engine::Database& db, const std::string& statement) { engine::executeStatement(db, statement); }

private:
    static TableState read(engine::Database& db, const std::string& path) {
        TableState t;
        auto table = db.table(path);
        for (const auto& f : table->fields()) t.fields.push_back(f.name);
        auto rows = table->rows();
        for (size_t r = 0; r < table->recordCount(); ++r) {
            if (table->isDeleted(r)) continue;
            std::vector<std::string> row;
            for (size_t c = 0; c < t.fields.size(); ++c) row.push_back(rows->value(r, c).toString());
            t.rows.push_back(std::move(row));
        }
        return t;
    }

    std::string dir_;
    int n_;
};

}  // namespace workload
