#include "data/data_store.h"

#include <limits>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>

#include "engine/folder_lock.h"
#include "platform/ini_file.h"
#include "platform/machine_store.h"
#include "platform/native_path.h"
#include "platform/platform_error.h"
#include "platform/temp_names.h"

namespace data {

void ResetQuery(engine::Query& query) {
    query.close();
    query.clear();
    query.setFiltered(false);
    query.setFilter(std::string());
}

void setStatement(engine::Query& query, const QStringList& lines) {
    query.clear();
    for (const QString& line : lines) query.add(line.toStdString());
}

void DataStore::logStatement() {
    if (!log_) return;
    QStringList lines;
    for (const std::string& line : sx_.lines()) lines.append(QString::fromStdString(line));
    log_->push_back(lines);
}

void DataStore::execSx() {
    logStatement();
    sx_.execSQL();
}

void DataStore::openSx() {
    logStatement();
    sx_.open();
}

const QString DataStore::kSettingsFileName = QStringLiteral("Terralog.ini");

void DataStore::setAppDir(const QString& appDir) {
    QString dir = QDir::toNativeSeparators(appDir);
    while (dir.size() > 1 && dir.endsWith(QDir::separator())) dir.chop(1);
    appDir_ = dir;
    dataDir_ = dir + QDir::separator() + QStringLiteral("Data");
}

void DataStore::setDataDir(const QString& dataDir) {
    QString dir = QDir::toNativeSeparators(dataDir);
    while (dir.size() > 1 && dir.endsWith(QDir::separator())) dir.chop(1);
    dataDir_ = dir;
}

QString DataStore::tablePath(const QString& fileName) const { return dataDir_ + QDir::separator() + fileName; }

QString DataStore::ReadSetting(const QString& section, const QString& key) const {
    return platform::IniFile(tablePath(kSettingsFileName)).read(section, key);
}

void DataStore::WriteSetting(const QString& section, const QString& key, const QString& value) const {
    platform::IniFile(tablePath(kSettingsFileName)).write(section, key, value);
}

void DataStore::WriteSettings(const QString& section, const std::vector<std::pair<QString, QString>>& values) const {
    platform::IniFile(tablePath(kSettingsFileName)).write(section, values);
}

QString DataStore::ReadCounter(const QString& name) const {
    bool ok = false;
    const int value = ReadSetting(QStringLiteral("INDEX"), name).trimmed().toInt(&ok);
    return QString::number(ok ? value : 1);
}

QString DataStore::NextId(const QString& name) const {
    // Read and written under the folder's writers' lock: no other program
    // hands out the same identifier, nor puts back an older counter.
    const engine::FolderLock writing(platform::nativePath(dataDir_), engine::FolderLock::Kind::Writers,
                                     engine::os::LockMode::Exclusive);
    const int last = ReadCounter(name).toInt();
    // Wrapping round would hand out negative identifiers, which mean
    // something else in the tables.
    if (last == std::numeric_limits<int>::max())
        throw platform::PlatformError(QStringLiteral("Contorul %1 a ajuns la valoarea maxima.").arg(name));
    const QString next = QString::number(last + 1);
    WriteSetting(QStringLiteral("INDEX"), name, next);
    return next;
}

QString DataStore::ReadRegistryValue(const QString& name) const { return platform::MachineStore::instance().read(name); }

void DataStore::WriteRegistryValue(const QString& name, const QString& value) const {
    platform::MachineStore::instance().write(name, value);
}

QString DataStore::UniqueTempName(const QString& prefix, const QString& extension) const {
    return platform::uniqueTempName(appDir_, prefix, extension);
}

}  // namespace data

namespace data {

void DataStore::FillDistinct(QComboBox* box, const QString& tablePath, const QString& field, const QString& condition) {
    ResetQuery(sx_);
    QStringList lines{QStringLiteral("SELECT DISTINCT ") + field,
                      QStringLiteral("FROM \"") + tablePath + QLatin1Char('"')};
    if (!condition.trimmed().isEmpty()) lines.append(QStringLiteral("WHERE ") + condition);
    lines.append(QStringLiteral("ORDER BY ") + field);
    setStatement(sx_, lines);
    openSx();
    const int column = sx_.fieldIndex(field.toStdString());
    for (sx_.first(); !sx_.eof(); sx_.next())
        box->addItem(column < 0 ? QString() : QString::fromStdString(sx_.field(column).asString()));
    sx_.close();
    box->setCurrentIndex(0);
}

}  // namespace data
