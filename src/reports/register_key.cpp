#include "reports/register_key.h"

#include <QStringList>

#include "data/data_store.h"
#include "engine/text.h"

namespace reports {
namespace {

// A text as a literal of a filter expression: in single quotes, or in double
// quotes when it holds a single quote (the engine reads both alike). A text
// holding both cannot be written whole; its part before the first double
// quote is written as a prefix, and heldBy makes the match exact.
QString filterLiteral(const QString& text) {
    QString value = text;
    const qsizetype doubleQuote = value.indexOf(QLatin1Char('"'));
    if (doubleQuote >= 0 && value.contains(QLatin1Char('\''))) value = value.left(doubleQuote) + QLatin1Char('*');
    const QChar quote = value.contains(QLatin1Char('\'')) ? QLatin1Char('"') : QLatin1Char('\'');
    return quote + value + quote;
}

struct KeyField {
    const char* name;
    QString RegisterKey::*text;
};

// The text fields in the order the expression names them; PARCELA stands
// after NRTARLA.
constexpr int kParcelAfter = 4;
const KeyField kTextFields[] = {
    {"INSAT", &RegisterKey::village},  {"TITULAR", &RegisterKey::holder}, {"OBS", &RegisterKey::plotName},
    {"NRTARLA", &RegisterKey::plotNumber}, {"LOT", &RegisterKey::lot},   {"ANEXA", &RegisterKey::annex},
    {"TIP", &RegisterKey::type},         {"CATEG", &RegisterKey::category},
};

engine::Value textValue(const QString& text) { return engine::Value::text(text.toStdString()); }

}  // namespace

QString RegisterKey::filterExpression() const {
    QStringList terms;
    for (int i = 0; i < int(std::size(kTextFields)); ++i) {
        if (i == kParcelAfter)
            terms.append(QStringLiteral("(PARCELA=%1)").arg(QString::fromStdString(parcel.toString())));
        const KeyField& f = kTextFields[i];
        terms.append(QStringLiteral("(%1=%2)").arg(QLatin1String(f.name), filterLiteral(this->*f.text)));
    }
    return terms.join(QStringLiteral(" AND "));
}

bool RegisterKey::heldBy(const engine::Dataset& rf) const {
    if (rf.isEmpty()) return false;
    for (const KeyField& f : kTextFields) {
        // Stored texts lose their trailing blanks, as the filter's comparison does.
        const std::string wanted = (this->*f.text).toStdString();
        if (rf.field(f.name).asString() != engine::trimRight(wanted)) return false;
    }
    return rf.field("PARCELA").asDecimal() == parcel;
}

bool RegisterBook::locate(const RegisterKey& key) {
    rf_.setFilter(key.filterExpression().toStdString());
    rf_.setFiltered(true);
    for (rf_.first(); !rf_.eof(); rf_.next())
        if (key.heldBy(rf_)) return true;
    return false;
}

engine::Decimal RegisterBook::valueOf(const RegisterKey& key) {
    return locate(key) ? rf_.field("SUPRAF").asDecimal() : engine::Decimal();
}

bool RegisterBook::canHold(engine::Decimal value) const {
    const engine::FieldDef& area = rf_.fields()[size_t(rf_.fieldIndex("SUPRAF"))];
    return int(value.rounded(area.decimals).toFixed(area.decimals).size()) <= area.width;
}

void RegisterBook::record(const RegisterKey& key, engine::Decimal value, const data::DataStore& store) {
    if (locate(key)) {
        rf_.edit();
    } else {
        rf_.append();
        const auto id = engine::Decimal::parse(store.NextId(QStringLiteral("IDRF")).toStdString());
        rf_.setValue("IDRF", engine::Value::number(id.value_or(engine::Decimal())));
    }
    try {
        rf_.setValue("INSAT", textValue(key.village));
        rf_.setValue("NRTARLA", textValue(key.plotNumber));
        rf_.setValue("PARCELA", engine::Value::number(key.parcel));
        rf_.setValue("SUPRAF", engine::Value::number(value));
        rf_.setValue("OBS", textValue(key.plotName));
        rf_.setValue("TITULAR", textValue(key.holder));
        rf_.setValue("LOT", textValue(key.lot));
        rf_.setValue("ANEXA", textValue(key.annex));
        rf_.setValue("TIP", textValue(key.type));
        rf_.setValue("CATEG", textValue(key.category));
        rf_.post();
    } catch (...) {
        rf_.cancel();
        throw;
    }
}

}  // namespace reports
