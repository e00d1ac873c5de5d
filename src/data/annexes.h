#pragma once

#include <QString>
#include <QStringList>

namespace data {

// The twelve annexes in page order; index 12 is the titles view.
const QStringList& AnnexNames();
constexpr int kTitlesViewIndex = 12;

// First entry of every filter list: no restriction on the field. Stored as
// such in RF for a selection column that was not restricted.
inline const QString kAllValues = QStringLiteral(" * toate *");

// A date field holding this date has no date.
inline const QString kNoDate = QStringLiteral("01.01.1900");

}  // namespace data
