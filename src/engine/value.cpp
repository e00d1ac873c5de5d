#include "engine/value.h"

namespace engine {

std::string Value::toString() const {
    switch (type()) {
    case ValueType::Null: return std::string();
    case ValueType::Text: return asText();
    case ValueType::Number: return asNumber().toString();
    case ValueType::Date: return asDate().toDmy();
    case ValueType::Logical: return asLogical() ? "T" : "F";
    }
    return std::string();
}

}  // namespace engine
