#include "titles/title_columns.h"

#include "data/annexes.h"

namespace titles {

void addShownDate(engine::Dataset& titles) {
    titles.addCalculatedField({kShownDateField, engine::FieldType::Text, 10, 0, 'C'});
}

void fillShownDate(engine::CalcRow& row) {
    const engine::Value date = row.get("DATA");
    if (date.type() != engine::ValueType::Date) return;
    static const std::string noDate = data::kNoDate.toStdString();
    const std::string shown = date.asDate().toDmy();
    if (shown != noDate) row.set(kShownDateField, engine::Value::text(shown));
}

QString sortFieldOf(const QString& column) {
    return column == QLatin1String(kShownDateField) ? QStringLiteral("DATA") : column;
}

}  // namespace titles
