// Creation of the five tables with their columns.
#include <QCoreApplication>

#include "data/data_store.h"
#include "engine/database.h"

namespace data {

namespace {

struct TableSchema {
    const char* file;
    QStringList columns;  // statement lines after "(", exactly as sent
};

const TableSchema kTables[] = {
    {"TP.DBF",
     {"IDTP     DECIMAL(10,0),", "TPNR     CHAR(16),", "TPCOD    DECIMAL(9,0),", "TITULAR   CHAR(120),",
      "INSAT    CHAR(24),", "DATA     DATE,", "SUPTOT   DECIMAL(9,4),", "ANEXA    CHAR(16),",
      "IDANEXA  DECIMAL(10,0) )"}},
    {"TPDET.DBF",
     {"IDTP     DECIMAL(10,0),", "IDDET    DECIMAL(10,0),", "TIP      CHAR(10),", "CATEG    CHAR(20),",
      "NRTARLA  CHAR(16),", "PARCELA  DECIMAL(6,0),", "LOT      CHAR(16),", "SUPRAF   DECIMAL(9,4),",
      "VECN     CHAR(36),", "VECE     CHAR(36),", "VECS     CHAR(36),", "VECV     CHAR(36),",
      "OBS      CHAR(50),", "LUNG     DECIMAL(8,4),", "LAT      DECIMAL(8,4),", "COMENT   CHAR(50) )"}},
    {"ANEXE1.DBF",
     {"IDANEXA  DECIMAL(10,0),", "ANEXA    CHAR(16),", "TIPANX   CHAR(24),", "NRCRTA   DECIMAL(10,0),",
      "SATUL    CHAR(24),", "NUME     CHAR(120),", "SINCAP   DECIMAL(8,4),", "SSOL     DECIMAL(8,4),",
      "SAPROB   DECIMAL(8,4),", "SACT     DECIMAL(8,4),", "MOSTEN   CHAR(120),", "EXTOT    DECIMAL(8,4),",
      "EXAR     DECIMAL(8,4),", "EXVII    DECIMAL(8,4),", "EXLIV    DECIMAL(8,4),", "EXPAS    DECIMAL(8,4),",
      "INTOT    DECIMAL(8,4),", "INAR     DECIMAL(8,4),", "INVII    DECIMAL(8,4),", "INLIV    DECIMAL(8,4),",
      "INPAS    DECIMAL(8,4),", "NEAG     DECIMAL(8,4) )"}},
    {"RF.DBF",
     {"IDRF     DECIMAL(10,0),", "INSAT    CHAR(24),", "NRTARLA  CHAR(16),", "PARCELA  DECIMAL(6,0),",
      "SUPRAF   DECIMAL(9,4),", "OBS      CHAR(50),", "TITULAR  CHAR(120),", "LOT      CHAR(16),",
      "ANEXA    CHAR(16),", "TIP      CHAR(10),", "CATEG    CHAR(20) )"}},
    {"Fisiere.dbf", {"IDTP DECIMAL(10,0), FISIER CHAR(120))"}},
};

}  // namespace

bool DataStore::BeginCreateTable(const QString& path) {
    if (engine::Database::global().exists(path.toStdString())) return false;
    sx_.clear();
    sx_.add("CREATE TABLE \"" + path.toStdString() + "\"");
    sx_.add("(");
    return true;
}

void DataStore::CreateTables() {
    for (const TableSchema& table : kTables) {
        if (!BeginCreateTable(tablePath(QString::fromLatin1(table.file)))) continue;
        for (const QString& column : table.columns) sx_.add(column.toStdString());
        execSx();
    }
}

const QStringList& DataStore::packOrder() {
    static const QStringList order = {QStringLiteral("TP.dbf"), QStringLiteral("TPDET.dbf"), QStringLiteral("Anexe1.dbf"),
                                      QStringLiteral("RF.dbf"), QStringLiteral("Fisiere.dbf")};
    return order;
}

void DataStore::PackTable(const QString& path) {
    sursa_.close();
    sursa_.setFiltered(false);
    sursa_.setExclusive(true);
    sursa_.setTableName(path.toStdString());
    QCoreApplication::processEvents();
    sursa_.open();
    // Closed again whether the pack works or not; its error goes on to the caller.
    struct CloseAtEnd {
        engine::TableDataset& table;
        ~CloseAtEnd() { table.close(); }
    } closeAtEnd{sursa_};
    sursa_.pack();
    QCoreApplication::processEvents();
}

}  // namespace data
