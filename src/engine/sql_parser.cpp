#include "engine/sql_parser.h"

#include <algorithm>
#include <string>

#include "engine/text.h"

namespace engine {
namespace {

// Words that end a clause, so they are never taken for a correlation name.
bool isReserved(std::string_view w) {
    static constexpr std::string_view kReserved[] = {
        "SELECT", "FROM",  "WHERE", "GROUP", "ORDER", "BY",     "LEFT", "RIGHT", "INNER", "OUTER", "JOIN",
        "ON",     "AND",   "OR",    "NOT",   "AS",    "SET",    "VALUES", "IS",  "NULL",  "LIKE",  "ASC",
        "DESC",   "INTO",  "UNION", "HAVING", "DISTINCT"};
    for (std::string_view r : kReserved)
        if (equalsIgnoreCase(w, r)) return true;
    return false;
}

// How deep expressions may nest: the binder and the evaluator walk them
// recursively, and the stack must hold any text a user or a file can give.
constexpr uint32_t kMaxDepth = 200;

class Parser {
public:
    Parser(const TokenList& tokens, std::vector<AstExpr>& exprs) : t_(tokens), exprs_(exprs) {}

    void statement(AstStatement& st) {
        if (acceptWord("SELECT")) {
            st.kind = StatementKind::Select;
            selectBody(st.select);
        } else if (acceptWord("INSERT")) {
            st.kind = StatementKind::Insert;
            insert(st.insert);
        } else if (acceptWord("UPDATE")) {
            st.kind = StatementKind::Update;
            update(st.update);
        } else if (acceptWord("DELETE")) {
            st.kind = StatementKind::Delete;
            expectWord("FROM");
            st.del.table = table(false);
            if (acceptWord("WHERE")) st.del.where = expression();
        } else if (acceptWord("CREATE")) {
            st.kind = StatementKind::CreateTable;
            expectWord("TABLE");
            st.create.table = table(false);
            expectSymbol("(");
            do st.create.columns.push_back(columnDef());
            while (acceptSymbol(","));
            expectSymbol(")");
        } else if (acceptWord("ALTER")) {
            st.kind = StatementKind::AlterTable;
            expectWord("TABLE");
            st.alter.table = table(false);
            do {
                if (acceptWord("ADD")) {
                    acceptWord("COLUMN");
                    st.alter.add.push_back(columnDef());
                } else if (acceptWord("DROP")) {
                    acceptWord("COLUMN");
                    st.alter.drop.push_back(columnName());
                } else {
                    expected("ADD or DROP");
                }
            } while (acceptSymbol(","));
        } else {
            expected("SELECT, INSERT, UPDATE, DELETE, CREATE TABLE or ALTER TABLE");
        }
        acceptSymbol(";");
        if (cur().kind != TokenKind::End) expected("the end of the statement");
    }

    int32_t condition() {
        const int32_t root = expression();
        if (cur().kind != TokenKind::End) expected("AND, OR or the end of the filter");
        return root;
    }

private:
    const Token& cur() const { return t_[pos_]; }
    std::string_view curText() const { return t_.content(cur()); }
    bool isWord(std::string_view w) const { return cur().kind == TokenKind::Word && equalsIgnoreCase(t_.source(cur()), w); }
    bool isSymbol(std::string_view s) const { return cur().kind == TokenKind::Symbol && t_.source(cur()) == s; }

    bool acceptWord(std::string_view w) {
        if (!isWord(w)) return false;
        ++pos_;
        return true;
    }
    bool acceptSymbol(std::string_view s) {
        if (!isSymbol(s)) return false;
        ++pos_;
        return true;
    }
    void expectWord(std::string_view w) {
        if (!acceptWord(w)) expected(std::string(w));
    }
    void expectSymbol(std::string_view s) {
        if (!acceptSymbol(s)) expected("'" + std::string(s) + "'");
    }
    [[noreturn]] void expected(const std::string& what) const {
        t_.fail(cur().offset, "expected " + what + " but found " + t_.describe(cur()));
    }

    std::string_view word(const char* what) {
        if (cur().kind != TokenKind::Word) expected(what);
        return t_.source(t_[pos_++]);
    }

    AstColumnRef columnName() {
        AstColumnRef c;
        c.offset = cur().offset;
        c.name = word("a field name");
        return c;
    }

    AstTable table(bool allowAlias) {
        AstTable tab;
        tab.offset = cur().offset;
        if (cur().kind != TokenKind::Text) expected("a table path in double quotes");
        tab.path = t_.content(cur());
        // The system would read the name only up to a control character,
        // and so reach another table than the one the text names.
        if (std::any_of(tab.path.begin(), tab.path.end(), [](char c) { return unsigned(static_cast<unsigned char>(c)) < 0x20; }))
            t_.fail(cur().offset, "a table path holds no control characters");
        ++pos_;
        if (allowAlias) {
            if (acceptWord("AS"))
                tab.alias = word("a correlation name");
            else if (cur().kind == TokenKind::Word && !isReserved(t_.source(cur())))
                tab.alias = word("a correlation name");
        }
        return tab;
    }

    int wholeNumber() {
        if (cur().kind != TokenKind::Number) expected("a whole number");
        const std::string_view digits = t_.source(cur());
        if (digits.find('.') != std::string_view::npos || digits.size() > 4) expected("a whole number below 10000");
        ++pos_;
        return std::stoi(std::string(digits));
    }

    AstColumnDef columnDef() {
        AstColumnDef c;
        c.name = columnName();
        c.def.name = std::string(c.name.name);
        if (acceptWord("CHAR") || acceptWord("CHARACTER") || acceptWord("VARCHAR")) {
            expectSymbol("(");
            c.def.type = FieldType::Text;
            c.def.dbfType = 'C';
            c.def.width = wholeNumber();
            expectSymbol(")");
        } else if (acceptWord("DECIMAL") || acceptWord("NUMERIC")) {
            c.def.type = FieldType::Number;
            c.def.dbfType = 'N';
            expectSymbol("(");
            c.def.width = wholeNumber();
            if (acceptSymbol(",")) c.def.decimals = wholeNumber();
            expectSymbol(")");
        } else if (acceptWord("DATE")) {
            c.def.type = FieldType::Date;
            c.def.dbfType = 'D';
            c.def.width = 8;
        } else {
            expected("a column type (CHAR, DECIMAL or DATE)");
        }
        return c;
    }

    void selectBody(AstSelect& s) {
        s.distinct = acceptWord("DISTINCT");
        do s.items.push_back(selectItem());
        while (acceptSymbol(","));
        expectWord("FROM");
        s.from = table(true);
        while (true) {
            AstJoin j;
            if (acceptWord("LEFT")) {
                acceptWord("OUTER");
                j.left = true;
                expectWord("JOIN");
            } else if (acceptWord("INNER")) {
                expectWord("JOIN");
            } else if (!acceptWord("JOIN")) {
                break;
            }
            j.table = table(true);
            expectWord("ON");
            j.on = expression();
            s.joins.push_back(j);
        }
        if (acceptWord("WHERE")) s.where = expression();
        if (acceptWord("GROUP")) {
            expectWord("BY");
            do s.groupBy.push_back(expression());
            while (acceptSymbol(","));
        }
        if (acceptWord("ORDER")) {
            expectWord("BY");
            do {
                AstOrderItem o;
                o.expr = expression();
                if (acceptWord("DESC"))
                    o.descending = true;
                else
                    acceptWord("ASC");
                s.orderBy.push_back(o);
            } while (acceptSymbol(","));
        }
    }

    AstSelectItem selectItem() {
        AstSelectItem item;
        if (acceptSymbol("*")) {
            item.kind = AstSelectItem::Kind::Star;
            return item;
        }
        if (cur().kind == TokenKind::Word && t_[pos_ + 1].kind == TokenKind::Symbol && t_.source(t_[pos_ + 1]) == "." &&
            t_[pos_ + 2].kind == TokenKind::Symbol && t_.source(t_[pos_ + 2]) == "*") {
            item.kind = AstSelectItem::Kind::Star;
            item.qualifier = t_.source(cur());
            pos_ += 3;
            return item;
        }
        item.expr = expression();
        if (acceptWord("AS"))
            item.alias = word("a name after AS");
        else if (cur().kind == TokenKind::Word && !isReserved(t_.source(cur())))
            item.alias = word("a name");
        return item;
    }

    void insert(AstInsert& ins) {
        expectWord("INTO");
        ins.table = table(false);
        if (acceptSymbol("(")) {
            do ins.columns.push_back(columnName());
            while (acceptSymbol(","));
            expectSymbol(")");
        }
        if (acceptWord("VALUES")) {
            expectSymbol("(");
            do ins.values.push_back(expression());
            while (acceptSymbol(","));
            expectSymbol(")");
        } else if (acceptWord("SELECT")) {
            ins.select = std::make_unique<AstSelect>();
            selectBody(*ins.select);
        } else {
            expected("VALUES or SELECT");
        }
    }

    void update(AstUpdate& up) {
        up.table = table(false);
        expectWord("SET");
        do {
            AstAssignment a;
            a.column = columnName();
            expectSymbol("=");
            a.value = expression();
            up.assignments.push_back(a);
        } while (acceptSymbol(","));
        if (acceptWord("WHERE")) up.where = expression();
    }

    int32_t add(AstExpr e) {
        const auto depthOf = [&](int32_t i) { return i >= 0 && size_t(i) < depths_.size() ? depths_[size_t(i)] : 0u; };
        const uint32_t depth = 1 + std::max(depthOf(e.left), depthOf(e.right));
        if (depth > kMaxDepth) t_.fail(e.offset, "the expression is nested too deeply");
        exprs_.push_back(e);
        depths_.resize(exprs_.size());
        depths_.back() = depth;
        return int32_t(exprs_.size() - 1);
    }

    // Counts the parser's own recursion (parentheses, NOT, signs).
    class Nesting {
    public:
        explicit Nesting(Parser& p) : p_(p) {
            if (++p_.nesting_ > kMaxDepth) p_.t_.fail(p_.cur().offset, "the expression is nested too deeply");
        }
        ~Nesting() { --p_.nesting_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& p_;
    };
    int32_t node(AstOp op, uint32_t offset, int32_t left, int32_t right = -1) {
        AstExpr e;
        e.op = op;
        e.offset = offset;
        e.left = left;
        e.right = right;
        return add(e);
    }

    int32_t expression() {
        int32_t left = conjunction();
        while (isWord("OR")) {
            const uint32_t at = cur().offset;
            ++pos_;
            left = node(AstOp::Or, at, left, conjunction());
        }
        return left;
    }

    int32_t conjunction() {
        int32_t left = negation();
        while (isWord("AND")) {
            const uint32_t at = cur().offset;
            ++pos_;
            left = node(AstOp::And, at, left, negation());
        }
        return left;
    }

    int32_t negation() {
        const Nesting nesting(*this);
        if (isWord("NOT")) {
            const uint32_t at = cur().offset;
            ++pos_;
            return node(AstOp::Not, at, negation());
        }
        return comparison();
    }

    int32_t comparison() {
        const int32_t left = additive();
        const uint32_t at = cur().offset;
        static constexpr struct {
            std::string_view symbol;
            AstOp op;
        } kOps[] = {{"=", AstOp::Equal},      {"<>", AstOp::NotEqual},  {"!=", AstOp::NotEqual},
                    {"<", AstOp::Less},       {">", AstOp::Greater},    {"<=", AstOp::LessEqual},
                    {">=", AstOp::GreaterEqual}};
        for (const auto& o : kOps)
            if (acceptSymbol(o.symbol)) return node(o.op, at, left, additive());
        if (acceptWord("IS")) {
            const bool negated = acceptWord("NOT");
            expectWord("NULL");
            const int32_t e = node(AstOp::IsNull, at, left);
            exprs_[size_t(e)].negated = negated;
            return e;
        }
        bool negated = false;
        if (isWord("NOT") && t_[pos_ + 1].kind == TokenKind::Word && equalsIgnoreCase(t_.source(t_[pos_ + 1]), "LIKE")) {
            ++pos_;
            negated = true;
        }
        if (acceptWord("LIKE")) {
            const int32_t e = node(AstOp::Like, at, left, additive());
            exprs_[size_t(e)].negated = negated;
            return e;
        }
        return left;
    }

    int32_t additive() {
        int32_t left = multiplicative();
        while (isSymbol("+") || isSymbol("-")) {
            const AstOp op = isSymbol("+") ? AstOp::Add : AstOp::Subtract;
            const uint32_t at = cur().offset;
            ++pos_;
            left = node(op, at, left, multiplicative());
        }
        return left;
    }

    int32_t multiplicative() {
        int32_t left = unary();
        while (isSymbol("*") || isSymbol("/")) {
            const AstOp op = isSymbol("*") ? AstOp::Multiply : AstOp::Divide;
            const uint32_t at = cur().offset;
            ++pos_;
            left = node(op, at, left, unary());
        }
        return left;
    }

    int32_t unary() {
        const Nesting nesting(*this);
        if (isSymbol("-")) {
            const uint32_t at = cur().offset;
            ++pos_;
            return node(AstOp::Negate, at, unary());
        }
        if (acceptSymbol("+")) return unary();
        return primary();
    }

    int32_t primary() {
        const Token& tok = cur();
        AstExpr e;
        e.offset = tok.offset;
        switch (tok.kind) {
        case TokenKind::Number:
            e.op = AstOp::Number;
            e.text = t_.source(tok);
            ++pos_;
            return add(e);
        case TokenKind::Text:
            e.op = AstOp::Text;
            e.text = t_.content(tok);
            ++pos_;
            return add(e);
        case TokenKind::Symbol:
            if (acceptSymbol("(")) {
                const int32_t inner = expression();
                expectSymbol(")");
                return inner;
            }
            break;
        case TokenKind::Word: {
            if (acceptWord("NULL")) {
                e.op = AstOp::Null;
                return add(e);
            }
            if (isReserved(t_.source(tok))) break;
            const std::string_view name = t_.source(tok);
            ++pos_;
            if (acceptSymbol("(")) {
                e.op = AstOp::Aggregate;
                e.text = name;
                if (!acceptSymbol("*")) e.left = expression();
                expectSymbol(")");
                return add(e);
            }
            e.op = AstOp::Column;
            if (acceptSymbol(".")) {
                e.qualifier = name;
                e.text = word("a field name after the '.'");
            } else {
                e.text = name;
            }
            return add(e);
        }
        case TokenKind::End: break;
        }
        expected("a field name, a value or '('");
    }

    const TokenList& t_;
    std::vector<AstExpr>& exprs_;
    std::vector<uint32_t> depths_;  // per node of exprs_ made here
    uint32_t nesting_ = 0;
    size_t pos_ = 0;
};

}  // namespace

AstStatement parseStatement(const TokenList& tokens) {
    AstStatement st;
    st.exprs.reserve(tokens.text().size() / 4 + 4);
    Parser p(tokens, st.exprs);
    p.statement(st);
    return st;
}

int32_t parseCondition(const TokenList& tokens, std::vector<AstExpr>& exprs) {
    exprs.reserve(tokens.text().size() / 4 + 4);
    Parser p(tokens, exprs);
    return p.condition();
}

}  // namespace engine
