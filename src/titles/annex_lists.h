#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

namespace titles {

// Sorts the items of a filter box as a sorted list box would, without regard
// to letter case, keeping " * toate *" first when it is the first item; the
// item shown stays shown. The box reports no change.
void sortFilterItems(QComboBox* box);

// The annex-type list files: one entry a line, in UTF-8.
void writeListFile(const QString& path, const QStringList& entries);
// The entries of a list file; none when it cannot be read.
QStringList readListFile(const QString& path);

QStringList itemsOf(const QComboBox* box);

}  // namespace titles
