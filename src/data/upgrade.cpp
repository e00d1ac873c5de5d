// Upgrade of tables written by older versions. Each step is decided by the
// table's columns, all of them inspected before any step runs, so a step that
// has run never runs again. Each step is one transaction: a step that fails
// (or a start-up that is stopped) leaves its tables as they were, and the
// next start runs it again from the beginning.
#include <initializer_list>
#include <vector>

#include <QCoreApplication>
#include <QFile>
#include <QtEndian>

#include "data/data_store.h"
#include "engine/transaction.h"
#include "platform/platform_error.h"

namespace data {

namespace {

QString quoted(const QString& path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

// The renumbering file: one 8-byte record per annex line, the line's
// identifier and its position, both signed 32-bit little-endian. It is
// removed however step D ends.
class RenumberingFile {
public:
    explicit RenumberingFile(const QString& name) : file_(name) {}
    ~RenumberingFile() {
        file_.close();
        if (!file_.fileName().isEmpty()) QFile::remove(file_.fileName());
    }

    void create() {
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw platform::PlatformError(
                QStringLiteral("Fisierul temporar %1 nu poate fi creat: %2").arg(file_.fileName(), file_.errorString()));
    }
    void write(qint32 id, qint32 position) {
        char record[8];
        qToLittleEndian(id, record);
        qToLittleEndian(position, record + 4);
        if (file_.write(record, 8) != 8)
            throw platform::PlatformError(
                QStringLiteral("Fisierul temporar %1 nu poate fi scris: %2").arg(file_.fileName(), file_.errorString()));
    }
    void reopenForReading() {
        file_.close();
        if (!file_.open(QIODevice::ReadOnly))
            throw platform::PlatformError(
                QStringLiteral("Fisierul temporar %1 nu poate fi citit: %2").arg(file_.fileName(), file_.errorString()));
    }
    bool read(qint32& id, qint32& position) {
        char record[8];
        if (file_.read(record, 8) != 8) return false;
        id = qFromLittleEndian<qint32>(record);
        position = qFromLittleEndian<qint32>(record + 4);
        return true;
    }

private:
    QFile file_;
};

}  // namespace

void DataStore::run(const QStringList& lines) {
    setStatement(sx_, lines);
    execSx();
    QCoreApplication::processEvents();
}

void DataStore::UpgradeTables() {
    // Which of the named columns the table has.
    const auto inspect = [this](const QString& file, std::initializer_list<const char*> columns) {
        setStatement(sx_, {QStringLiteral("SELECT * FROM ") + quoted(tablePath(file))});
        openSx();
        std::vector<bool> present;
        for (const char* column : columns) present.push_back(sx_.fieldIndex(column) >= 0);
        sx_.close();
        QCoreApplication::processEvents();
        return present;
    };
    const std::vector<bool> tpColumns = inspect(QStringLiteral("TP.dbf"), {"FISIER", "SUPTOT"});
    const bool stepA = tpColumns[0];
    const bool stepE = !tpColumns[1];
    const bool stepD = !inspect(QStringLiteral("Anexe1.dbf"), {"NRCRTA"})[0];
    const bool stepB = !inspect(QStringLiteral("TPDET.dbf"), {"LUNG"})[0];
    const bool stepC = !inspect(QStringLiteral("RF.dbf"), {"TITULAR"})[0];

    const QString tp = quoted(tablePath(QStringLiteral("TP.dbf")));
    if (stepA) {
        engine::Transaction step;
        run({QStringLiteral("INSERT INTO ") + quoted(tablePath(QStringLiteral("Fisiere.dbf"))), QStringLiteral("(IDTP,FISIER)"),
             QStringLiteral("SELECT IDTP, FISIER"), QStringLiteral("FROM ") + tp});
        run({QStringLiteral("ALTER TABLE ") + tp, QStringLiteral("DROP FISIER")});
        step.commit();
    }
    if (stepB) {
        const QString tpdet = quoted(tablePath(QStringLiteral("TPDET.dbf")));
        engine::Transaction step;
        run({QStringLiteral("ALTER TABLE ") + tpdet,
             QStringLiteral("ADD LUNG DECIMAL(8,4),ADD LAT DECIMAL(8,4), ADD COMENT CHAR(50)")});
        run({QStringLiteral("UPDATE ") + tpdet, QStringLiteral("SET LUNG=0, LAT=0,COMENT=\"\"")});
        step.commit();
    }
    if (stepC) {
        const QString rf = quoted(tablePath(QStringLiteral("RF.dbf")));
        engine::Transaction step;
        run({QStringLiteral("ALTER TABLE ") + rf,
             QStringLiteral("ADD TITULAR CHAR(120),ADD LOT CHAR(16),ADD ANEXA CHAR(16),ADD TIP CHAR(10),ADD CATEG CHAR(20)")});
        run({QStringLiteral("UPDATE ") + rf, QStringLiteral("SET TITULAR=\" * toate *\","),
             QStringLiteral("LOT=\" * toate *\","), QStringLiteral("ANEXA=\" * toate *\","),
             QStringLiteral("TIP=\" * toate *\","), QStringLiteral("CATEG=\" * toate *\"")});
        step.commit();
    }
    if (stepD) {
        engine::Transaction step;
        renumberAnnexLines();
        step.commit();
    }
    if (stepE) {
        engine::Transaction step;
        run({QStringLiteral("ALTER TABLE ") + tp, QStringLiteral("ADD SUPTOT DECIMAL(9,4)")});
        run({QStringLiteral("UPDATE ") + tp, QStringLiteral("SET SUPTOT=0")});
        step.commit();
    }
}

// Step D: adds NRCRTA and numbers the lines of each annex and sub-annex type
// 1, 2, 3 ... in the order of their identifiers.
void DataStore::renumberAnnexLines() {
    Progress& bar = Bar1();
    const int savedMaximum = bar.maximum();
    bar.setPosition(0);
    const QString anexe = quoted(tablePath(QStringLiteral("Anexe1.dbf")));
    run({QStringLiteral("ALTER TABLE ") + anexe, QStringLiteral("ADD NRCRTA DECIMAL(10,0)")});

    RenumberingFile file(UniqueTempName(QStringLiteral("UpGr"), QStringLiteral(".ser")));
    setStatement(sx_, {QStringLiteral("SELECT IDANEXA, ANEXA, TIPANX FROM ") + anexe,
                       QStringLiteral("ORDER BY ANEXA, TIPANX, IDANEXA")});
    openSx();
    file.create();
    QString previous = QStringLiteral("---");
    qint32 counter = 0;
    bar.setMaximum(sx_.recordCount());
    bar.setPosition(0);
    for (sx_.first(); !sx_.isEmpty() && !sx_.eof(); sx_.next()) {
        const QString key = QString::fromStdString(sx_.field("ANEXA").asString()) +
                            QString::fromStdString(sx_.field("TIPANX").asString());
        if (key != previous) {
            previous = key;
            counter = 0;
        }
        ++counter;
        file.write(qint32(sx_.field("IDANEXA").asInteger()), counter);
        bar.advance(1);
        QCoreApplication::processEvents();
    }
    sx_.close();
    sx_.clear();
    QCoreApplication::processEvents();

    setStatement(sx_, {QStringLiteral("UPDATE ") + anexe, QStringLiteral("SET NRCRTA=..."),
                       QStringLiteral("WHERE IDANEXA=...")});
    file.reopenForReading();
    bar.setPosition(0);
    qint32 id = 0;
    qint32 position = 0;
    while (file.read(id, position)) {
        sx_.setLine(1, "SET NRCRTA=" + std::to_string(position));
        sx_.setLine(2, "WHERE IDANEXA=" + std::to_string(id));
        bar.advance(1);
        execSx();
        QCoreApplication::processEvents();
    }
    bar.setPosition(0);
    bar.setMaximum(savedMaximum);
}

}  // namespace data
