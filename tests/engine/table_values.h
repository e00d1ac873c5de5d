// Short names for the fields and values the table tests write.
#pragma once

#include <string>

#include "engine/date.h"
#include "engine/decimal.h"
#include "engine/value.h"

namespace tablevalues {

inline engine::FieldDef text(const char* name, int width) { return {name, engine::FieldType::Text, width, 0, 'C'}; }
inline engine::FieldDef number(const char* name, int width, int decimals) {
    return {name, engine::FieldType::Number, width, decimals, 'N'};
}
inline engine::FieldDef date(const char* name) { return {name, engine::FieldType::Date, 8, 0, 'D'}; }

inline engine::Value num(int v) { return engine::Value::number(engine::Decimal::fromInt(v)); }
inline engine::Value num(const char* s) { return engine::Value::number(*engine::Decimal::parse(s)); }
inline engine::Value txt(const std::string& s) { return engine::Value::text(s); }
inline engine::Value day(int y, int m, int d) { return engine::Value::date(engine::Date::fromYmd(y, m, d)); }

}  // namespace tablevalues
