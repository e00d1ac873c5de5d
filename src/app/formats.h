#pragma once

#include <QDate>
#include <QString>

// Number and date formats of the whole process, whatever the system's
// regional settings say: decimal ".", thousands ",", dates dd.MM.yyyy.
constexpr char kDecimalSeparator = '.';
constexpr char kThousandsSeparator = ',';
inline const QString kDateFormat = QStringLiteral("dd.MM.yyyy");

// Makes the C locale (decimal ".", thousands ",") the default of every
// widget and conversion of the process.
void applyProcessFormats();

inline QString formatDate(const QDate& date) { return date.toString(kDateFormat); }
inline QDate parseDate(const QString& text) { return QDate::fromString(text, kDateFormat); }
