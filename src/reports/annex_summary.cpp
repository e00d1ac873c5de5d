#include "reports/annex_summary.h"

#include <QStringList>

namespace reports {
namespace {

QString text(const engine::Dataset& anex, const char* field) { return QString::fromStdString(anex.field(field).asString()); }

QString area(const engine::Dataset& anex, const char* field) {
    return QString::fromStdString(anex.field(field).asDecimal().toFixed(4));
}

// "Total : 1.0000, arabil : ..., pasuni : ..." from the five fields of one land type.
QString landLine(const engine::Dataset& anex, const char* const (&fields)[5]) {
    return QStringLiteral("Total : ") + area(anex, fields[0]) + QStringLiteral(", arabil : ") + area(anex, fields[1]) +
           QStringLiteral(", vii : ") + area(anex, fields[2]) + QStringLiteral(", livezi : ") + area(anex, fields[3]) +
           QStringLiteral(", pasuni : ") + area(anex, fields[4]);
}

}  // namespace

QString annexLineSummary(const engine::Dataset& anex) {
    static const char* const outside[5] = {"EXTOT", "EXAR", "EXVII", "EXLIV", "EXPAS"};
    static const char* const inside[5] = {"INTOT", "INAR", "INVII", "INLIV", "INPAS"};
    QString annex = text(anex, "ANEXA");
    const QString type = text(anex, "TIPANX");
    if (type != annex) annex += QStringLiteral(" : ") + type;
    const QStringList lines{annex.toUpper(),
                            QString(),
                            text(anex, "NUME"),
                            text(anex, "MOSTEN"),
                            QString(),
                            QStringLiteral("Extravilan"),
                            QStringLiteral("========"),
                            landLine(anex, outside),
                            QString(),
                            QStringLiteral("Intravilan"),
                            QStringLiteral("========"),
                            landLine(anex, inside),
                            QString(),
                            QStringLiteral("Neagricol : ") + area(anex, "NEAG")};
    return lines.join(QLatin1Char('\r'));
}

}  // namespace reports
