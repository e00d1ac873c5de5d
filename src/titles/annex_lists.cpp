#include "titles/annex_lists.h"

#include <algorithm>

#include <QComboBox>
#include <QFile>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QTextStream>

#include "data/annexes.h"
#include "engine/text.h"
#include "platform/platform_error.h"

namespace titles {

void sortFilterItems(QComboBox* box) {
    QStringList items = itemsOf(box);
    const QString shown = box->currentText();
    const int shownIndex = box->currentIndex();
    const bool keepFirst = !items.isEmpty() && items.first() == data::kAllValues;
    const auto from = items.begin() + (keepFirst ? 1 : 0);
    std::stable_sort(from, items.end(), [](const QString& a, const QString& b) {
        return engine::compareText(a.toStdString(), b.toStdString()) < 0;
    });
    const QSignalBlocker quiet(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(shownIndex < 0 ? -1 : int(items.indexOf(shown)));
}

void writeListFile(const QString& path, const QStringList& entries) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        throw platform::PlatformError(QStringLiteral("Nu pot scrie fisierul %1.").arg(path));
    QTextStream out(&file);
    for (const QString& entry : entries) out << entry << '\n';
    out.flush();
    if (!file.commit()) throw platform::PlatformError(QStringLiteral("Nu pot scrie fisierul %1.").arg(path));
}

QStringList readListFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    QStringList entries;
    QTextStream in(&file);
    while (!in.atEnd()) entries.append(in.readLine());
    return entries;
}

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items.append(box->itemText(i));
    return items;
}

}  // namespace titles
