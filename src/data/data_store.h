#pragma once

#include <utility>
#include <vector>

#include <QString>
#include <QStringList>

#include "data/progress.h"
#include "engine/integrity.h"
#include "engine/query.h"
#include "engine/table_dataset.h"

class QComboBox;

namespace data {

// Closes the query, clears its statement lines, switches its filter off and
// clears the filter text.
void ResetQuery(engine::Query& query);

// Replaces the statement lines of a query.
void setStatement(engine::Query& query, const QStringList& lines);

// The shared data routines: the program and data folders, the shared query
// and table objects, the creation, upgrade and packing of the tables, the
// settings file and the machine-wide store, the identifier counters and
// temporary names.
class DataStore {
public:
    static const QString kSettingsFileName;  // "Terralog.ini", in DataDir

    DataStore() = default;
    // AppDir without a trailing separator; DataDir becomes AppDir/Data.
    explicit DataStore(const QString& appDir) { setAppDir(appDir); }

    void setAppDir(const QString& appDir);
    // A data folder of another name (the command-line fronts take any);
    // call after setAppDir.
    void setDataDir(const QString& dataDir);
    const QString& AppDir() const { return appDir_; }
    const QString& DataDir() const { return dataDir_; }
    // DataDir, the platform's separator and the file name: the path a
    // statement writes for a table.
    QString tablePath(const QString& fileName) const;

    // Settings file; opened anew on every call.
    QString ReadSetting(const QString& section, const QString& key) const;
    void WriteSetting(const QString& section, const QString& key, const QString& value) const;
    // Several keys of one section in one write of the file.
    void WriteSettings(const QString& section, const std::vector<std::pair<QString, QString>>& values) const;

    // The last identifier given for the counter, 1 when the counter is missing
    // or not a whole number.
    QString ReadCounter(const QString& name) const;
    // Takes the next identifier and writes it back before returning it, so
    // it is never handed out twice; the first is 2.
    QString NextId(const QString& name) const;

    // The machine-wide store (registry key Software\Vorelco\20).
    QString ReadRegistryValue(const QString& name) const;
    void WriteRegistryValue(const QString& name, const QString& value) const;

    // AppDir/{prefix}{n}{extension} for the first n in 0..100 that is free
    // (a leftover file of that name is deleted), empty text when none is.
    QString UniqueTempName(const QString& prefix, const QString& extension) const;

    // The shared query: statements of the start-up steps and the list routines.
    engine::Query& Sx() { return sx_; }
    // The shared table object, used to pack tables.
    engine::TableDataset& Sursa() { return sursa_; }
    // The progress bar the upgrade drives (a counting one until a window's is set).
    Progress& Bar1() { return *bar_; }
    void setProgress(Progress* bar) { bar_ = bar ? bar : &counting_; }

    // Creates each of the five tables whose file is missing in DataDir.
    void CreateTables();
    // False, and nothing done, when the file exists; otherwise starts the
    // CREATE TABLE statement on Sx and returns true.
    bool BeginCreateTable(const QString& path);
    // Brings tables written by older versions to the current columns.
    void UpgradeTables();
    // Removes the deleted rows of the table for good. The table must not be
    // in use by another program. A new file replaces the old one at once, so
    // a failure leaves the old table whole.
    void PackTable(const QString& path);
    // The five tables in the order start-up packs them.
    static const QStringList& packOrder();

    // The damaged ones among the five tables, in packing order: a header and
    // a size that disagree, or records that cannot be read (see
    // engine/integrity.h). A missing file is no damage. Nothing is changed.
    std::vector<engine::TableCondition> DamagedTables();
    // The name the file of a damaged table is kept under before its repair,
    // beside it: "TPDET.DBF.deteriorat-20250110-1", the first number free.
    QString DamagedCopyName(const engine::TableCondition& table) const;
    // Keeps the table's file as it is under `copyPath`, then writes the table
    // anew with every whole record (engine::Database::repairTable).
    void RepairTable(const engine::TableCondition& table, const QString& copyPath);

    // Appends the distinct values of the field to the box's items (ordered
    // by the field, restricted by the condition when it is not blank) and
    // selects the first item.
    void FillDistinct(QComboBox* box, const QString& tablePath, const QString& field, const QString& condition);

    // Every statement the routines send through Sx is appended to the log
    // while one is set (tests compare them line by line).
    void setStatementLog(std::vector<QStringList>* log) { log_ = log; }

private:
    void logStatement();
    void execSx();
    void openSx();
    // Replaces the statement of Sx, runs it and lets pending events run.
    void run(const QStringList& lines);
    void renumberAnnexLines();

    QString appDir_;
    QString dataDir_;
    engine::Query sx_;
    engine::TableDataset sursa_;
    CountingProgress counting_;
    Progress* bar_ = &counting_;
    std::vector<QStringList>* log_ = nullptr;
};

}  // namespace data
