#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "engine/date.h"
#include "engine/decimal.h"

namespace engine {

enum class ValueType { Null, Text, Number, Date, Logical };

// One cell: NULL, a UTF-8 text (held without trailing blanks), an exact
// number, a date or a logical.
class Value {
public:
    Value() = default;
    static Value null() { return Value(); }
    static Value text(std::string s) { return Value(Storage(std::in_place_index<1>, std::move(s))); }
    static Value number(Decimal d) { return Value(Storage(std::in_place_index<2>, d)); }
    static Value date(Date d) { return Value(Storage(std::in_place_index<3>, d)); }
    static Value logical(bool b) { return Value(Storage(std::in_place_index<4>, b)); }

    ValueType type() const { return static_cast<ValueType>(data_.index()); }
    bool isNull() const { return data_.index() == 0; }
    const std::string& asText() const { return std::get<1>(data_); }
    Decimal asNumber() const { return std::get<2>(data_); }
    Date asDate() const { return std::get<3>(data_); }
    bool asLogical() const { return std::get<4>(data_); }

    // The display text: "" for NULL, the shortest decimal form for numbers
    // (12.5), dd.MM.yyyy for dates, "T"/"F" for logicals.
    std::string toString() const;

    friend bool operator==(const Value& a, const Value& b) { return a.data_ == b.data_; }
    friend bool operator!=(const Value& a, const Value& b) { return !(a == b); }

private:
    using Storage = std::variant<std::monostate, std::string, Decimal, Date, bool>;
    explicit Value(Storage s) : data_(std::move(s)) {}
    Storage data_;
};

// The declared type of a column, as a dBase field knows it.
enum class FieldType { Text, Number, Date, Logical };

struct FieldDef {
    std::string name;     // as declared; looked up without regard to case
    FieldType type = FieldType::Text;
    int width = 0;        // characters (Text), total width (Number); 8 for Date, 1 for Logical
    int decimals = 0;     // Number only
    char dbfType = 'C';   // C, N, F, D or L as stored in the table header
};

}  // namespace engine
