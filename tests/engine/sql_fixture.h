// A data folder with the five tables, created and filled through statements
// composed exactly as the forms compose them.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/statement.h"
#include "temp_dir.h"

class SqlFixture : public ::testing::Test {
protected:
    // The lines joined by "\n", {DataDir} replaced by the data folder.
    std::string sql(std::initializer_list<std::string> lines) const {
        std::string text;
        for (const std::string& line : lines) {
            if (!text.empty() || &line != lines.begin()) text += '\n';
            text += expand(line);
        }
        return text;
    }
    std::string expand(std::string line) const {
        const std::string key = "{DataDir}";
        for (size_t at; (at = line.find(key)) != std::string::npos;) line.replace(at, key.size(), dir_.path());
        return line;
    }
    engine::StatementResult run(const std::string& text) { return engine::executeStatement(db_, text); }
    size_t exec(std::initializer_list<std::string> lines) { return run(sql(lines)).rowsAffected; }

    // The rows of a SELECT as text: numbers in their shortest form, dates
    // dd.MM.yyyy, NULL numbers and dates as "NULL".
    static std::vector<std::vector<std::string>> cells(const engine::ColumnStore& rows) {
        std::vector<std::vector<std::string>> out;
        for (size_t r = 0; r < rows.rowCount(); ++r) {
            std::vector<std::string> row;
            for (size_t c = 0; c < rows.columnCount(); ++c) {
                const bool text = rows.fields()[c].type == engine::FieldType::Text;
                row.push_back(!text && rows.isNull(r, c) ? "NULL" : rows.value(r, c).toString());
            }
            out.push_back(row);
        }
        return out;
    }
    std::vector<std::vector<std::string>> select(std::initializer_list<std::string> lines) {
        return cells(*run(sql(lines)).rows);
    }
    std::vector<std::string> names(std::initializer_list<std::string> lines) {
        std::vector<std::string> out;
        const auto result = run(sql(lines));
        for (const auto& f : result.rows->fields()) out.push_back(f.name);
        return out;
    }

    // The five tables, by the statements that create them at start-up.
    void createTables() {
        exec({"CREATE TABLE \"{DataDir}\\TP.DBF\"", "(", "IDTP     DECIMAL(10,0),", "TPNR     CHAR(16),",
              "TPCOD    DECIMAL(9,0),", "TITULAR   CHAR(120),", "INSAT    CHAR(24),", "DATA     DATE,",
              "SUPTOT   DECIMAL(9,4),", "ANEXA    CHAR(16),", "IDANEXA  DECIMAL(10,0) )"});
        exec({"CREATE TABLE \"{DataDir}\\TPDET.DBF\"", "(", "IDTP     DECIMAL(10,0),", "IDDET    DECIMAL(10,0),",
              "TIP      CHAR(10),", "CATEG    CHAR(20),", "NRTARLA  CHAR(16),", "PARCELA  DECIMAL(6,0),",
              "LOT      CHAR(16),", "SUPRAF   DECIMAL(9,4),", "VECN     CHAR(36),", "VECE     CHAR(36),",
              "VECS     CHAR(36),", "VECV     CHAR(36),", "OBS      CHAR(50),", "LUNG     DECIMAL(8,4),",
              "LAT      DECIMAL(8,4),", "COMENT   CHAR(50) )"});
        exec({"CREATE TABLE \"{DataDir}\\ANEXE1.DBF\"", "(", "IDANEXA  DECIMAL(10,0),", "ANEXA    CHAR(16),",
              "TIPANX   CHAR(24),", "NRCRTA   DECIMAL(10,0),", "SATUL    CHAR(24),", "NUME     CHAR(120),",
              "SINCAP   DECIMAL(8,4),", "SSOL     DECIMAL(8,4),", "SAPROB   DECIMAL(8,4),", "SACT     DECIMAL(8,4),",
              "MOSTEN   CHAR(120),", "EXTOT    DECIMAL(8,4),", "EXAR     DECIMAL(8,4),", "EXVII    DECIMAL(8,4),",
              "EXLIV    DECIMAL(8,4),", "EXPAS    DECIMAL(8,4),", "INTOT    DECIMAL(8,4),", "INAR     DECIMAL(8,4),",
              "INVII    DECIMAL(8,4),", "INLIV    DECIMAL(8,4),", "INPAS    DECIMAL(8,4),", "NEAG     DECIMAL(8,4) )"});
        exec({"CREATE TABLE \"{DataDir}\\RF.DBF\"", "(", "IDRF     DECIMAL(10,0),", "INSAT    CHAR(24),",
              "NRTARLA  CHAR(16),", "PARCELA  DECIMAL(6,0),", "SUPRAF   DECIMAL(9,4),", "OBS      CHAR(50),",
              "TITULAR  CHAR(120),", "LOT      CHAR(16),", "ANEXA    CHAR(16),", "TIP      CHAR(10),",
              "CATEG    CHAR(20) )"});
        exec({"CREATE TABLE \"{DataDir}\\Fisiere.dbf\"", "(", "IDTP DECIMAL(10,0), FISIER CHAR(120))"});
    }

    // An annex line as the line dialog inserts it.
    void addLine(int id, const std::string& annex, const std::string& type, int nr, const std::string& village,
                 const std::string& name, const std::string& heirs, const std::string& approved = "0") {
        const std::string n = std::to_string(nr);
        exec({"INSERT INTO \"{DataDir}\\Anexe1.dbf\"",
              "(IDANEXA, ANEXA, TIPANX, NRCRTA, SATUL, NUME, SINCAP, SSOL, SAPROB, SACT, MOSTEN,",
              "EXTOT, EXAR, EXVII, EXLIV, EXPAS,", "INTOT, INAR, INVII, INLIV, INPAS,", "NEAG)", "VALUES (",
              std::to_string(id) + ",\"" + annex + "\",", "\"" + type + "\",", n + ",", "\"" + village + "\",",
              "\"" + name + "\",", "0,", "1.5,", approved + ",", "0,", "\"" + heirs + "\",", "0,", "0,", "0,", "0,",
              "0,", "0,", "0,", "0,", "0,", "0,", "0.25)"});
    }

    // A title as the title dialog inserts it (no annex line).
    void addTitle(int id, const std::string& nr, const std::string& holder, const std::string& village,
                  const std::string& date, const std::string& area) {
        exec({"INSERT INTO \"{DataDir}\\TP.dbf\"", "(IDTP, TPNR, TPCOD, TITULAR, INSAT, DATA, SUPTOT)", "VALUES (",
              std::to_string(id) + ",\"" + nr + "\",", "0,", "\"" + holder + "\",", "\"" + village + "\",",
              "\"" + date + "\"," + area + ")"});
    }

    // A title issued for an annex line ("Introdu titlu nou").
    void addLinkedTitle(int id, const std::string& nr, const std::string& holder, const std::string& village,
                        const std::string& annex, int line, const std::string& area) {
        exec({"INSERT INTO \"{DataDir}\\TP.dbf\"", "(IDTP, TPNR, TPCOD, TITULAR, INSAT,DATA, ANEXA, IDANEXA, SUPTOT)",
              "VALUES (", std::to_string(id) + ",\"" + nr + "\",", "0,", "\"" + holder + "\",",
              "\"" + village + "\",", "\"01.02.2003\",", "\"" + annex + "\",", std::to_string(line) + ",",
              area + ")"});
    }

    // A surface as the surface dialog inserts it.
    void addSurface(int idtp, int iddet, const std::string& type, const std::string& category,
                    const std::string& tarla, const std::string& parcel, const std::string& lot,
                    const std::string& area, const std::string& obs = "") {
        exec({"INSERT INTO \"{DataDir}\\TPDET.dbf\"",
              "(IDTP, IDDET, TIP, CATEG, NRTARLA, PARCELA, LOT,SUPRAF,VECN,VECE,VECS,VECV,OBS,LUNG,LAT,COMENT)",
              "VALUES(", std::to_string(idtp) + "," + std::to_string(iddet) + ",\"" + type + "\",",
              "\"" + category + "\",", "\"" + tarla + "\"," + parcel + ",\"" + lot + "\",", area + ",", "\"N\",",
              "\"E\",", "\"S\",", "\"V\",", "\"" + obs + "\" ,", "0,", "0,", "\"\")"});
    }

    // A small register: annex lines with and without titles, titles linked,
    // free, taken out (-1) and freed by an import (0), surfaces of several
    // titles and one whose title is gone.
    void fillRegister() {
        createTables();
        addLine(2, "Anexa 2A", "Anexa 2A", 1, "SAT A", "POP ION", "");
        addLine(3, "Anexa 2A", "Anexa 2A", 2, "SAT B", "ALBU ANA", "POP MIHAI");
        addLine(4, "Anexa 2A", "Anexa 2A", 3, "SAT A", "ZAMFIR DAN", "");
        addLine(5, "Legea 1/2000", "Art 4", 1, "SAT C", "IONESCU", "");
        addLine(6, "Legea 1/2000", "Art 3", 2, "SAT A", "BARBU", "");
        addLine(7, "Legea 1/2000", "Art 4", 3, "", "GOL", "");
        addLinkedTitle(2, "10", "POP ION", "SAT A", "Anexa 2A", 2, "1.5");
        addTitle(3, "9", "POP ION; POP MIHAI", "SAT A", "05.06.1995", "0.25");
        exec({"UPDATE \"{DataDir}\\TP.dbf\"", "SET ANEXA=\"Anexa 2A\",", "IDANEXA=2", "WHERE IDTP=3"});
        addLinkedTitle(4, "12", "ALBU ANA", "SAT B", "Anexa 2A", 3, "2");
        addTitle(5, "120", "BARBU", "SAT A", "01.01.1900", "0");
        addTitle(6, "7", "CAZAN", "", "01.01.1900", "3");
        exec({"UPDATE \"{DataDir}\\TP.dbf\"", "SET ANEXA=\"\", IDANEXA=-1", "WHERE IDTP=6"});
        addLinkedTitle(7, "8", "DRAGU", "SAT C", "Legea 1/2000", 5, "1");
        exec({"UPDATE \"{DataDir}\\TP.dbf\"", "SET ANEXA=\"\", IDANEXA=0", "WHERE ANEXA=\"Legea 1/2000\""});
        addSurface(2, 2, "EXTRAVILAN", "Arabil", "5", "12", "1", "2.5", "LA PADURE");
        addSurface(2, 3, "EXTRAVILAN", "Vii", "5", "13", "12", "0.25", "LA PADURE");
        addSurface(2, 4, "INTRAVILAN", "CURTI, CONSTRUCTII", "1", "1", "1A", "0.1");
        addSurface(3, 5, "EXTRAVILAN", "Arabil", "7", "2", "21", "1", "VALE");
        addSurface(4, 6, "INTRAVILAN", "Arabil", "5", "12", "2", "0.5", "LA PADURE");
        addSurface(99, 7, "EXTRAVILAN", "Pasuni", "9", "3", "", "0.75");
    }

    const std::string& dir() const { return dir_.path(); }
    engine::Database& db() { return db_; }

private:
    TempDir dir_;
    engine::Database db_;
};
