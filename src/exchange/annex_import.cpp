#include "exchange/annex_import.h"

#include <limits>

#include "app/message_dialog.h"
#include "data/data_store.h"
#include "data/text_routines.h"
#include "engine/codepage.h"
#include "engine/database.h"
#include "engine/dbf_table.h"
#include "engine/decimal.h"
#include "engine/errors.h"
#include "engine/query.h"
#include "engine/folder_lock.h"
#include "engine/table.h"
#include "engine/transaction.h"
#include "exchange/annex_export.h"
#include "exchange/workbook_reader.h"
#include "platform/native_path.h"

namespace exchange {

namespace {

const QString kHeading = QStringLiteral("Import date");
const QString kNul = QStringLiteral("** NUL **");

// The surfaces of a line: the sheet's column (from 1) and the field.
struct NumberColumn {
    int column;
    const char* field;
};
const NumberColumn kLineNumbers[] = {{5, "SINCAP"},  {6, "SSOL"},   {7, "SAPROB"}, {8, "SACT"},   {10, "EXTOT"},
                                     {11, "EXAR"},   {12, "EXVII"}, {13, "EXLIV"}, {14, "EXPAS"}, {15, "INTOT"},
                                     {16, "INAR"},   {17, "INVII"}, {18, "INLIV"}, {19, "INPAS"}, {20, "NEAG"}};

// Column 1: a signed whole number, 0 when the text is not one.
long long wholeNumber(const QString& text) {
    bool ok = false;
    const long long n = text.toLongLong(&ok);
    return ok ? n : 0;
}

// A surface: the nearest 0.0001, 0 when the text is not a number.
engine::Decimal decimalOf(const QString& text) {
    return engine::Decimal::parse(text.toStdString()).value_or(engine::Decimal());
}

QString unquoted(QString text) { return text.remove(QLatin1Char('"')); }

// Blanks and control characters off both ends.
QString trimmedControls(const QString& text) {
    int begin = 0;
    int end = int(text.size());
    while (begin < end && text[begin].unicode() <= 32) ++begin;
    while (end > begin && text[end - 1].unicode() <= 32) --end;
    return text.mid(begin, end - begin);
}

// The largest number a field holds, as the refusal names it: 999.9999 for
// eight characters with four decimals.
QString largestOf(const engine::FieldDef& field) {
    const int whole = field.decimals > 0 ? field.width - field.decimals - 1 : field.width;
    QString text(std::max(whole, 1), QLatin1Char('9'));
    if (field.decimals > 0) text += QLatin1Char('.') + QString(field.decimals, QLatin1Char('9'));
    return text;
}

// Why a value does not fit its field, in the words the refusal uses. The
// table decides whether it fits; this only says why.
QString misfit(const engine::Table& table, const engine::FieldDef& field, const engine::Value& value) {
    const QString name = QString::fromStdString(field.name);
    if (field.type == engine::FieldType::Number)
        return QStringLiteral("valoarea %1 nu incape in campul %2 (cel mult %3)")
            .arg(QString::fromStdString(value.toString()), name, largestOf(field));
    QString text = QString::fromStdString(value.toString());
    while (!text.isEmpty() && text.back() == QLatin1Char(' ')) text.chop(1);
    const auto* dbf = dynamic_cast<const engine::DbfTable*>(&table);
    std::string encoded;
    char32_t bad = 0;
    const engine::CodePage page = dbf ? dbf->codePage() : engine::CodePage::Cp1250;
    if (!engine::tryEncodeFromUtf8(text.toStdString(), page, encoded, bad))
        return QStringLiteral("caracterul \"%1\" (U+%2) nu poate fi scris in campul %3: pagina de cod %4 nu il are")
            .arg(QString::fromUcs4(&bad, 1))
            .arg(uint(bad), 4, 16, QLatin1Char('0'))
            .arg(name, QString::fromLatin1(engine::codePageName(page)));
    return QStringLiteral("textul de %1 caractere nu incape in campul %2 (cel mult %3)")
        .arg(text.toUcs4().size())
        .arg(name)
        .arg(field.width);
}

// Only the letters a to z become capitals, as the title lookup compares.
QString upperAscii(QString text) {
    for (QChar& c : text)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return text;
}

}  // namespace

// One data row of the sheet, as its statements will write it.
struct AnnexImport::Line {
    int row = 0;
    QString subAnnex;  // c2, its double quotes removed
    QString village;   // c3, likewise
    QString name;
    QString heirs;
    std::vector<engine::Decimal> surfaces;  // in the order of kLineNumbers
    QString number;                          // the title number; empty for none
    QString titleVillage;                    // cleaned, in capitals
    engine::Decimal totalArea;
};

AnnexImport::AnnexImport(data::DataStore& store, engine::Query& sx, ImportHost& host)
    : store_(store), sx_(sx), host_(host), workbook_(store) {}

bool AnnexImport::failWith(const QString& text) {
    host_.Mesaj(kHeading, text, mkError, mbOk);
    workbook_.CloseWorkbook();
    return false;
}

bool AnnexImport::checkLayout(const QString& annex) {
    if (workbook_.usedColumns() < TExpXLSOLE::kImportColumns)
        return failWith(QStringLiteral("\rFisierul Excel ales are mai putin de 22 coloane!"));
    for (int c = 1; c <= 3; ++c)
        if (workbook_.cellText(1, c) != sheetCaptions()[c - 1])
            return failWith(QStringLiteral("\rFisierul Excel NU corespunde cu cel exportat!"));
    const QString found = workbook_.cellText(2, 2);
    if (found != annex)
        return failWith(QStringLiteral("\rFisierul Excel este cu ") + found + QStringLiteral(", in loc de ") + annex +
                        QLatin1Char('!'));
    return true;
}

bool AnnexImport::run(const QString& fileName, const QString& annex) {
    statements_ = 0;
    workbook_.OpenWorkbook(fileName);
    if (!checkLayout(annex)) return false;
    const int rows = workbook_.usedRows();

    QStringList problems;
    const std::vector<Line> lines = readLines(rows, problems);
    if (!problems.isEmpty()) {
        host_.MesajList(kHeading,
                        QStringLiteral("\rValori care nu incap in tabele (%1); nu s-a importat nimic:").arg(problems.size()),
                        problems, mkError, mbOk);
        workbook_.CloseWorkbook();
        return false;
    }

    const QString question = QStringLiteral("Import date ") + annex;
    if (host_.Mesaj(question, QStringLiteral("\rDoriti sa adaugam %1 linii?").arg(lines.size()), mkConfirmation,
                    mbDa + mbNu) != mrDa) {
        workbook_.CloseWorkbook();
        return false;
    }
    const bool deleteExisting =
        host_.Mesaj(question, QStringLiteral("\rDoriti sa stergem liniile existente la aceasta Anexa?"),
                    mkConfirmation, mbDa + mbNu) == mrDa;

    try {
        write(annex, lines, deleteExisting, rows);
    } catch (const std::exception& e) {
        // The unit has rolled back: the form gets its lists back as they were.
        QString reason = QString::fromUtf8(e.what());
        try {
            host_.reopenDatasets();
        } catch (const std::exception& again) {
            reason += QLatin1Char('\r') + QString::fromUtf8(again.what());
        }
        try {
            workbook_.CloseWorkbook();
        } catch (const std::exception& again) {
            reason += QLatin1Char('\r') + QString::fromUtf8(again.what());
        }
        host_.hideProgress();
        host_.Mesaj(kHeading, QStringLiteral("\rImportul s-a oprit; tabelele au ramas ca inainte.\r") + reason, mkError,
                    mbOk);
        return false;
    }
    {
        // The progress window goes on every way out.
        struct Hide {
            ImportHost& host;
            ~Hide() { host.hideProgress(); }
        } hide{host_};
        host_.reopenDatasets();
        workbook_.CloseWorkbook();
    }
    host_.Mesaj(kHeading, QStringLiteral("\rImport incheiat cu succes!"), mkInformation, mbOk);
    return true;
}

std::vector<AnnexImport::Line> AnnexImport::readLines(int rows, QStringList& problems) {
    engine::Database& db = engine::Database::global();
    const auto annexes = db.table(store_.tablePath(QStringLiteral("Anexe1.dbf")).toStdString());
    const auto titles = db.table(store_.tablePath(QStringLiteral("TP.dbf")).toStdString());
    const auto check = [&](const engine::Table& table, const char* field, const engine::Value& value, int row,
                           int column) {
        const int index = table.findField(field);
        if (index < 0) return;
        try {
            table.coerce(index, value);
        } catch (const engine::ValueError&) {
            problems << QStringLiteral("Randul %1, coloana %2 (%3): %4")
                            .arg(row)
                            .arg(column)
                            .arg(sheetCaptions()[column - 1], misfit(table, table.fields()[size_t(index)], value));
        }
    };
    const auto text = [](const QString& s) { return engine::Value::text(s.toStdString()); };

    std::vector<Line> lines;
    for (int r = 2; r <= rows; ++r) {
        const QStringList c = workbook_.ReadRowCells(r);
        if (wholeNumber(c[0]) <= 0) continue;
        Line line;
        line.row = r;
        line.subAnnex = unquoted(c[1]);
        line.village = unquoted(c[2]);
        line.name = data::CleanText(c[3]);
        line.heirs = data::CleanText(c[8] == kNul ? QString() : c[8]);
        for (const NumberColumn& n : kLineNumbers) line.surfaces.push_back(decimalOf(c[n.column - 1]));
        const QString number = unquoted(trimmedControls(c[20]));
        line.number = number == kNul ? QString() : number;
        line.titleVillage = upperAscii(data::CleanText(c[2]));
        line.totalArea = decimalOf(c[21]);

        check(*annexes, "TIPANX", text(line.subAnnex), r, 2);
        check(*annexes, "SATUL", text(line.village), r, 3);
        check(*annexes, "NUME", text(line.name), r, 4);
        for (size_t i = 0; i < std::size(kLineNumbers); ++i)
            check(*annexes, kLineNumbers[i].field, engine::Value::number(line.surfaces[i]), r, kLineNumbers[i].column);
        check(*annexes, "MOSTEN", text(line.heirs), r, 9);
        if (!line.number.isEmpty()) {
            check(*titles, "TPNR", text(line.number), r, 21);
            check(*titles, "SUPTOT", engine::Value::number(line.totalArea), r, 22);
        }
        lines.push_back(std::move(line));
        if (r % 1000 == 0) host_.letEventsRun();
    }
    return lines;
}

void AnnexImport::execute(const QStringList& lines) {
    if (beforeStatement) beforeStatement(statements_);
    ++statements_;
    if (log_) log_->push_back(lines);
    data::setStatement(sx_, lines);
    sx_.execSQL();
}

int AnnexImport::greatestPosition(const QString& annex) {
    const QStringList lines{QStringLiteral("SELECT MAX(NRCRTA) AS NRMAX"),
                            QStringLiteral("FROM \"") + store_.tablePath(QStringLiteral("Anexe1.dbf")) + QLatin1Char('"'),
                            QStringLiteral("WHERE ANEXA=\"") + annex + QLatin1Char('"')};
    if (log_) log_->push_back(lines);
    data::setStatement(sx_, lines);
    sx_.open();
    bool ok = false;
    const int p = QString::fromStdString(sx_.field("NRMAX").asString()).toInt(&ok);
    sx_.close();
    return ok ? p : 0;
}

namespace {

// The next identifiers of a counter, handed out in memory and written back
// with the other counter before the unit commits. The counters are not part
// of the unit: an import rolled back leaves them advanced, so that an
// identifier once handed out is never handed out again.
class IdentifierBlock {
public:
    IdentifierBlock(const data::DataStore& store, const QString& name)
        : name_(name), first_(store.ReadCounter(name).toLongLong()), last_(first_) {}
    QString next() {
        if (last_ >= std::numeric_limits<int>::max())
            throw engine::ValueError(QStringLiteral("Contorul %1 a ajuns la valoarea maxima.").arg(name_).toStdString());
        return QString::number(++last_);
    }
    // Appends the counter's new value when it moved.
    void collect(std::vector<std::pair<QString, QString>>& values) const {
        if (last_ != first_) values.emplace_back(name_, QString::number(last_));
    }

private:
    QString name_;
    long long first_;
    long long last_;
};

}  // namespace

void AnnexImport::write(const QString& annex, const std::vector<Line>& lines, bool deleteExisting, int rows) {
    const QString annexes = QLatin1Char('"') + store_.tablePath(QStringLiteral("Anexe1.dbf")) + QLatin1Char('"');
    const QString titles = QLatin1Char('"') + store_.tablePath(QStringLiteral("TP.dbf")) + QLatin1Char('"');
    const QString annexText = QLatin1Char('"') + annex + QLatin1Char('"');

    // From the counters' first reading to the commit no other program writes.
    const engine::FolderLock writing(platform::nativePath(store_.DataDir()), engine::FolderLock::Kind::Writers,
                                     engine::os::LockMode::Exclusive);
    engine::Transaction unit;
    if (deleteExisting) {
        execute({QStringLiteral("DELETE FROM ") + annexes, QStringLiteral("WHERE ANEXA=") + annexText});
        execute({QStringLiteral("UPDATE ") + titles, QStringLiteral("SET ANEXA=\"\", IDANEXA=0"),
                 QStringLiteral("WHERE ANEXA=") + annexText});
    }

    host_.showProgress(QStringLiteral("Import date ") + annex, rows / 10);
    host_.letEventsRun();
    int p = greatestPosition(annex);
    host_.closeDatasets();

    IdentifierBlock lineIds(store_, QStringLiteral("IDANEXA"));
    IdentifierBlock titleIds(store_, QStringLiteral("IDTP"));
    size_t next = 0;
    for (int r = 2; r <= rows; ++r) {
        if (next < lines.size() && lines[next].row == r) {
            const Line& line = lines[next++];
            ++p;
            const QString id = lineIds.next();
            QStringList insert{QStringLiteral("INSERT INTO ") + annexes,
                               QStringLiteral("(IDANEXA, ANEXA, TIPANX, NRCRTA, SATUL, NUME, SINCAP, SSOL, SAPROB, SACT, MOSTEN,"),
                               QStringLiteral("EXTOT, EXAR, EXVII, EXLIV, EXPAS,"),
                               QStringLiteral("INTOT, INAR, INVII, INLIV, INPAS,"),
                               QStringLiteral("NEAG)"),
                               QStringLiteral("VALUES ("),
                               id + QLatin1Char(',') + annexText + QLatin1Char(','),
                               QLatin1Char('"') + line.subAnnex + QStringLiteral("\","),
                               QString::number(p) + QLatin1Char(','),
                               QLatin1Char('"') + line.village + QStringLiteral("\","),
                               QLatin1Char('"') + line.name + QStringLiteral("\",")};
            for (size_t i = 0; i < line.surfaces.size(); ++i) {
                if (i == 4) insert << QLatin1Char('"') + line.heirs + QStringLiteral("\",");
                insert << QString::fromStdString(line.surfaces[i].toString()) + QLatin1Char(',');
            }
            insert.last().chop(1);
            insert.last() += QLatin1Char(')');
            execute(insert);
            host_.letEventsRun();

            if (!line.number.isEmpty()) {
                const QString number = QLatin1Char('"') + line.number + QLatin1Char('"');
                const QString where = QStringLiteral("WHERE TPNR=") + number + QStringLiteral(" AND INSAT=\"") +
                                      line.titleVillage + QLatin1Char('"');
                const QString area = QString::fromStdString(line.totalArea.toString());
                const QStringList lookup{QStringLiteral("SELECT IDTP FROM ") + titles, where};
                if (log_) log_->push_back(lookup);
                data::setStatement(sx_, lookup);
                sx_.open();
                const bool found = !sx_.isEmpty();
                sx_.close();
                if (!found) {
                    execute({QStringLiteral("INSERT INTO ") + titles,
                             QStringLiteral("(IDTP, TPNR, TPCOD, TITULAR, INSAT, DATA, SUPTOT, ANEXA, IDANEXA)"),
                             QStringLiteral("VALUES (") + titleIds.next() + QLatin1Char(','),
                             number + QStringLiteral(",0,\"") + line.name + QStringLiteral("\","),
                             QLatin1Char('"') + line.village + QStringLiteral("\","),
                             QStringLiteral("\"01.01.1900\",") + area + QLatin1Char(','),
                             annexText + QLatin1Char(',') + id + QLatin1Char(')')});
                } else {
                    // The relinked title takes the annex too, as a title
                    // linked by hand does.
                    execute({QStringLiteral("UPDATE ") + titles,
                             QStringLiteral("SET TITULAR=\"") + line.name + QStringLiteral("\","),
                             QStringLiteral("SUPTOT=") + area + QLatin1Char(','),
                             QStringLiteral("IDANEXA=") + id + QLatin1Char(','),
                             QStringLiteral("ANEXA=") + annexText, where});
                }
            }
        }
        if (r % 10 == 0) {
            host_.advanceProgress();
            host_.letEventsRun();
        }
    }
    // Both counters in one write of the settings file.
    std::vector<std::pair<QString, QString>> counters;
    lineIds.collect(counters);
    titleIds.collect(counters);
    if (!counters.empty()) store_.WriteSettings(QStringLiteral("INDEX"), counters);
    unit.commit();
}

}  // namespace exchange
