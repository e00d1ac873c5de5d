// The damaged tables found at start-up, and their repair.
#include <QDate>
#include <QFileInfo>

#include "data/data_store.h"
#include "engine/database.h"

namespace data {

std::vector<engine::TableCondition> DataStore::DamagedTables() {
    engine::Database& db = engine::Database::global();
    std::vector<engine::TableCondition> damaged;
    for (const QString& file : packOrder()) {
        const std::string path = tablePath(file).toStdString();
        if (!db.exists(path)) continue;
        engine::TableCondition table = db.examineTable(path, true);
        if (!table.sound()) damaged.push_back(std::move(table));
    }
    return damaged;
}

// The copy stays in Data, beside its table, rather than beside the folder:
// the backup archives every file of Data, so the bytes of the records a
// repair could not keep go into every archive made after it, and come back
// with the data they belong to. Outside Data they would be lost with the
// machine. The price is the copy's size in each archive until the
// administrator removes it.
QString DataStore::DamagedCopyName(const engine::TableCondition& table) const {
    const QString base = QString::fromStdString(table.path) + QStringLiteral(".deteriorat-") +
                         QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('-');
    int n = 1;
    while (QFileInfo::exists(base + QString::number(n))) ++n;
    return base + QString::number(n);
}

void DataStore::RepairTable(const engine::TableCondition& table, const QString& copyPath) {
    engine::Database::global().repairTable(table.path, copyPath.toStdString());
}

}  // namespace data
