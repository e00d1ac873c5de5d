#include "engine/sql_binder.h"

#include <algorithm>
#include <string>

#include "engine/errors.h"
#include "engine/text.h"

namespace engine {
namespace {

int16_t characterCount(std::string_view s) {
    int16_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80 && n < INT16_MAX) ++n;
    return n;
}

int16_t decimalsOf(std::string_view digits) {
    const size_t point = digits.find('.');
    if (point == std::string_view::npos) return 0;
    return int16_t(std::min<size_t>(digits.size() - point - 1, Decimal::kScale));
}

}  // namespace

void ExprBinder::bindError(uint32_t offset, const std::string& message) const {
    throw BindError(message + " (" + tokens_.where(offset) + ")");
}

int32_t ExprBinder::add(BoundExpr e) {
    out_.push_back(e);
    return int32_t(out_.size() - 1);
}

std::pair<uint32_t, uint32_t> ExprBinder::resolve(std::string_view qualifier, std::string_view name,
                                                  uint32_t offset) const {
    if (!qualifier.empty()) {
        for (size_t s = 0; s < sources.size(); ++s) {
            const BindSource& src = sources[s];
            const bool named = src.alias.empty() ? equalsIgnoreCase(src.baseName, qualifier)
                                                 : equalsIgnoreCase(src.alias, qualifier);
            if (!named) continue;
            for (size_t f = 0; f < src.fields->size(); ++f)
                if (equalsIgnoreCase((*src.fields)[f].name, name)) return {uint32_t(s), uint32_t(f)};
            bindError(offset, "Unknown field " + std::string(qualifier) + "." + std::string(name));
        }
        bindError(offset, "Unknown table name " + std::string(qualifier) + " in " + std::string(qualifier) + "." +
                              std::string(name));
    }
    // The first table that has the field: the FROM table before the joined ones.
    for (size_t s = 0; s < sources.size(); ++s)
        for (size_t f = 0; f < sources[s].fields->size(); ++f)
            if (equalsIgnoreCase((*sources[s].fields)[f].name, name)) return {uint32_t(s), uint32_t(f)};
    bindError(offset, "Unknown field " + std::string(name));
}

uint64_t ExprBinder::sourceMask(int32_t bound) const {
    if (bound < 0) return 0;
    const BoundExpr& e = out_[size_t(bound)];
    uint64_t mask = e.op == ExprOp::Column ? (uint64_t(1) << e.source) : 0;
    return mask | sourceMask(e.a) | sourceMask(e.b);
}

bool ExprBinder::hasAggregate(int32_t bound) const {
    if (bound < 0) return false;
    const BoundExpr& e = out_[size_t(bound)];
    return e.op == ExprOp::Aggregate || hasAggregate(e.a) || hasAggregate(e.b);
}

void ExprBinder::requireType(int32_t bound, DatumType type, uint32_t offset, const char* what) const {
    const DatumType t = out_[size_t(bound)].type;
    if (t != type && t != DatumType::Null)
        bindError(offset, std::string(what) + " needs a " + datumTypeName(type) + ", not a " + datumTypeName(t));
}

void ExprBinder::convertConstant(int32_t bound, DatumType target, uint32_t offset) {
    BoundExpr& e = out_[size_t(bound)];
    if (e.op != ExprOp::Constant || e.type != DatumType::Text || target == DatumType::Text) return;
    const std::string_view text = e.constant.s;
    const std::string_view trimmed = trimRight(text.substr(std::min(text.find_first_not_of(' '), text.size())));
    if (trimmed.empty()) {
        e.constant = Datum();
        e.type = DatumType::Null;
        return;
    }
    if (target == DatumType::Number) {
        const auto d = Decimal::parse(trimmed);
        if (!d) throw ValueError("\"" + std::string(text) + "\" is not a number (" + tokens_.where(offset) + ")");
        e.constant = Datum::number(d->units());
        e.type = DatumType::Number;
        e.width = characterCount(trimmed);
        e.decimals = decimalsOf(trimmed);
    } else if (target == DatumType::Date) {
        std::optional<Date> d;
        try {
            d = Date::parseDmy(trimmed);
        } catch (const ValueError&) {
            throw ValueError("Impossible date \"" + std::string(text) + "\" (" + tokens_.where(offset) + ")");
        }
        if (!d)
            throw ValueError("\"" + std::string(text) + "\" is not a date written dd.MM.yyyy (" +
                             tokens_.where(offset) + ")");
        e.constant = Datum{DatumType::Date, d->dayNumber(), {}};
        e.type = DatumType::Date;
        e.width = 8;
        e.decimals = 0;
    }
}

int32_t ExprBinder::bind(int32_t ast) { return bindNode(ast); }

int32_t ExprBinder::bindCondition(int32_t ast) {
    const int32_t b = bindNode(ast);
    requireType(b, DatumType::Logical, ast_[size_t(ast)].offset, "A condition");
    return b;
}

int32_t ExprBinder::bindValueFor(int32_t ast, const FieldDef& field) {
    const int32_t b = bindNode(ast);
    const DatumType target = datumTypeOf(field.type);
    convertConstant(b, target, ast_[size_t(ast)].offset);
    const DatumType t = out_[size_t(b)].type;
    if (t != target && t != DatumType::Null)
        bindError(ast_[size_t(ast)].offset, "Cannot store a " + std::string(datumTypeName(t)) + " in the " +
                                                datumTypeName(target) + " field " + field.name);
    return b;
}

int32_t ExprBinder::bindComparison(const AstExpr& node, CompareOp op) {
    int32_t a = bindNode(node.left);
    int32_t b = bindNode(node.right);
    convertConstant(a, out_[size_t(b)].type, ast_[size_t(node.left)].offset);
    convertConstant(b, out_[size_t(a)].type, ast_[size_t(node.right)].offset);
    const DatumType ta = out_[size_t(a)].type, tb = out_[size_t(b)].type;
    if (ta != tb && ta != DatumType::Null && tb != DatumType::Null)
        bindError(node.offset, std::string("Cannot compare a ") + datumTypeName(ta) + " with a " + datumTypeName(tb));
    BoundExpr e;
    e.type = DatumType::Logical;
    e.width = 1;
    e.a = a;
    e.b = b;
    e.cmp = op;
    e.op = ExprOp::Compare;
    if (filterMode && (op == CompareOp::Equal || op == CompareOp::NotEqual) && ta == DatumType::Text) {
        BoundExpr& lit = out_[size_t(b)];
        if (lit.op == ExprOp::Constant && !lit.constant.s.empty() && lit.constant.s.back() == '*') {
            lit.constant.s.remove_suffix(1);
            e.op = ExprOp::Prefix;
            e.negated = op == CompareOp::NotEqual;
        }
    }
    return add(e);
}

int32_t ExprBinder::bindAggregate(const AstExpr& node) {
    if (!aggregates) bindError(node.offset, "The aggregate " + toUpperAscii(node.text) + " is not allowed here");
    if (insideAggregate_) bindError(node.offset, "Aggregates cannot be nested");
    AggregateCall call;
    BoundExpr e;
    e.op = ExprOp::Aggregate;
    const std::string func = toUpperAscii(node.text);
    if (func == "COUNT") {
        call.func = AggregateFunc::CountAll;
        if (node.left >= 0) {
            insideAggregate_ = true;
            call.arg = bindNode(node.left);
            insideAggregate_ = false;
            call.func = AggregateFunc::Count;
        }
        call.type = DatumType::Number;
        e.width = 10;
        e.decimals = 0;
    } else if (func == "SUM" || func == "MAX" || func == "MIN") {
        if (node.left < 0) bindError(node.offset, func + "(*) is not allowed; name a field");
        insideAggregate_ = true;
        call.arg = bindNode(node.left);
        insideAggregate_ = false;
        const BoundExpr& arg = out_[size_t(call.arg)];
        if (func == "SUM") {
            requireType(call.arg, DatumType::Number, node.offset, "SUM");
            call.func = AggregateFunc::Sum;
            call.type = DatumType::Number;
            e.width = 20;
            e.decimals = arg.decimals;
        } else {
            if (arg.type == DatumType::Logical) bindError(node.offset, func + " needs a text, a number or a date");
            call.func = func == "MAX" ? AggregateFunc::Max : AggregateFunc::Min;
            call.type = arg.type;
            e.width = arg.width;
            e.decimals = arg.decimals;
        }
    } else {
        bindError(node.offset, "Unknown function " + std::string(node.text));
    }
    e.type = call.type;
    e.slot = uint32_t(aggregates->size());
    aggregates->push_back(call);
    return add(e);
}

int32_t ExprBinder::bindNode(int32_t ast) {
    const AstExpr& node = ast_[size_t(ast)];
    BoundExpr e;
    switch (node.op) {
    case AstOp::Column: {
        const auto [source, field] = resolve(node.qualifier, node.text, node.offset);
        if (groupColumns && !insideAggregate_ &&
            std::find(groupColumns->begin(), groupColumns->end(), std::make_pair(source, field)) == groupColumns->end())
            bindError(node.offset, "The field " + std::string(node.text) +
                                       " must be in the GROUP BY list or inside an aggregate");
        const FieldDef& def = (*sources[source].fields)[field];
        e.op = ExprOp::Column;
        e.source = source;
        e.field = field;
        e.type = datumTypeOf(def.type);
        e.width = int16_t(def.width);
        e.decimals = int16_t(def.decimals);
        return add(e);
    }
    case AstOp::Number: {
        const auto d = Decimal::parse(node.text);
        if (!d) throw ValueError("The number " + std::string(node.text) + " is too large (" +
                                 tokens_.where(node.offset) + ")");
        e.constant = Datum::number(d->units());
        e.type = DatumType::Number;
        e.width = int16_t(node.text.size());
        e.decimals = decimalsOf(node.text);
        return add(e);
    }
    case AstOp::Text:
        e.constant = Datum::text(node.text);
        e.type = DatumType::Text;
        e.width = std::max<int16_t>(1, characterCount(node.text));
        return add(e);
    case AstOp::Null:
        e.width = 1;
        return add(e);
    case AstOp::Negate: {
        const int32_t a = bindNode(node.left);
        requireType(a, DatumType::Number, node.offset, "A minus sign");
        BoundExpr& inner = out_[size_t(a)];
        if (inner.op == ExprOp::Constant) {
            if (!inner.constant.isNull()) inner.constant.i = (-Decimal::fromUnits(inner.constant.i)).units();
            ++inner.width;
            return a;
        }
        e = inner;
        e.op = ExprOp::Negate;
        e.a = a;
        e.width = int16_t(inner.width + 1);
        return add(e);
    }
    case AstOp::Not: {
        e.op = ExprOp::Not;
        e.a = bindCondition(node.left);
        e.type = DatumType::Logical;
        e.width = 1;
        return add(e);
    }
    case AstOp::And:
    case AstOp::Or: {
        e.op = node.op == AstOp::And ? ExprOp::And : ExprOp::Or;
        e.a = bindCondition(node.left);
        e.b = bindCondition(node.right);
        e.type = DatumType::Logical;
        e.width = 1;
        return add(e);
    }
    case AstOp::Add:
    case AstOp::Subtract:
    case AstOp::Multiply:
    case AstOp::Divide: {
        const int32_t a = bindNode(node.left);
        const int32_t b = bindNode(node.right);
        convertConstant(a, DatumType::Number, ast_[size_t(node.left)].offset);
        convertConstant(b, DatumType::Number, ast_[size_t(node.right)].offset);
        requireType(a, DatumType::Number, node.offset, "Arithmetic");
        requireType(b, DatumType::Number, node.offset, "Arithmetic");
        const BoundExpr &x = out_[size_t(a)], &y = out_[size_t(b)];
        static constexpr ExprOp kOps[] = {ExprOp::Add, ExprOp::Subtract, ExprOp::Multiply, ExprOp::Divide};
        e.op = kOps[int(node.op) - int(AstOp::Add)];
        e.a = a;
        e.b = b;
        e.type = DatumType::Number;
        e.width = 20;
        if (e.op == ExprOp::Add || e.op == ExprOp::Subtract)
            e.decimals = std::max(x.decimals, y.decimals);
        else if (e.op == ExprOp::Multiply)
            e.decimals = int16_t(std::min(x.decimals + y.decimals, Decimal::kScale));
        else
            e.decimals = Decimal::kScale;
        return add(e);
    }
    case AstOp::Equal: return bindComparison(node, CompareOp::Equal);
    case AstOp::NotEqual: return bindComparison(node, CompareOp::NotEqual);
    case AstOp::Less: return bindComparison(node, CompareOp::Less);
    case AstOp::Greater: return bindComparison(node, CompareOp::Greater);
    case AstOp::LessEqual: return bindComparison(node, CompareOp::LessEqual);
    case AstOp::GreaterEqual: return bindComparison(node, CompareOp::GreaterEqual);
    case AstOp::IsNull:
        e.op = ExprOp::IsNull;
        e.negated = node.negated;
        e.a = bindNode(node.left);
        e.type = DatumType::Logical;
        e.width = 1;
        return add(e);
    case AstOp::Like: {
        e.op = ExprOp::Like;
        e.negated = node.negated;
        e.a = bindNode(node.left);
        e.b = bindNode(node.right);
        requireType(e.a, DatumType::Text, node.offset, "LIKE");
        requireType(e.b, DatumType::Text, node.offset, "LIKE");
        e.type = DatumType::Logical;
        e.width = 1;
        return add(e);
    }
    case AstOp::Aggregate: return bindAggregate(node);
    }
    bindError(node.offset, "Unsupported expression");
}

}  // namespace engine
