// SELECT: binding and the operators that run it.
//
// Invariants:
// - A joined row is a tuple of record numbers, one per source, kNoRow for the
//   NULL side of an outer join. Tuples sit in one flat array, `width` apiece.
// - Rows keep file order through every operator: the scan yields records in
//   record order, a join yields for each left tuple its matches in record
//   order, grouping numbers groups by first appearance, and sorting is
//   stable. DISTINCT keeps the first of equal rows.
// - A group is represented by its first tuple; columns outside aggregates
//   are GROUP BY columns, so reading them there gives the group's value.
// - Text datums are views into the sources' rows, which the statement holds
//   until it ends. A result column that shows a source column refers to its
//   cells at the rows of the result; computed columns get cells of their own.
// - The statement decodes, before it runs, the source columns it evaluates;
//   a column it only shows is decoded when the result is read.
#include "engine/sql_select.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "engine/errors.h"
#include "engine/text.h"

namespace engine {
namespace {

std::string baseNameOf(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) name = name.substr(0, dot);
    return std::string(name);
}

uint64_t combineHash(uint64_t h, uint64_t v) { return (h ^ v) * 0x9E3779B97F4A7C15ull + (h >> 29); }

size_t bucketCountFor(size_t n) {
    size_t b = 16;
    while (b < n * 2) b <<= 1;
    return b;
}

// Equality for grouping and DISTINCT: NULL matches NULL.
bool sameKey(const Datum& a, const Datum& b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull();
    return datumEquals(a, b);
}

char dbfTypeOf(DatumType t) {
    switch (t) {
    case DatumType::Number: return 'N';
    case DatumType::Date: return 'D';
    case DatumType::Logical: return 'L';
    default: return 'C';
    }
}

FieldType fieldTypeOf(DatumType t) {
    switch (t) {
    case DatumType::Number: return FieldType::Number;
    case DatumType::Date: return FieldType::Date;
    case DatumType::Logical: return FieldType::Logical;
    default: return FieldType::Text;
    }
}

void writeDatum(ColumnStore& out, size_t row, size_t col, const Datum& d) {
    switch (d.type) {
    case DatumType::Null: break;
    case DatumType::Text: out.setText(row, col, d.s); break;
    case DatumType::Number: out.setNumber(row, col, Decimal::fromUnits(d.i)); break;
    case DatumType::Date: out.setDate(row, col, Date::fromDayNumber(int32_t(d.i))); break;
    case DatumType::Logical: out.set(row, col, Value::logical(d.i != 0)); break;
    }
}

struct OutputColumn {
    int32_t expr = -1;
    FieldDef def;
};

struct OrderKey {
    int32_t expr = -1;
    bool descending = false;
};

struct JoinPlan {
    bool left = false;
    std::vector<std::pair<int32_t, int32_t>> keys;  // (expression over earlier sources, expression over this one)
    std::vector<int32_t> residualTerms;             // the rest of ON
    std::vector<int32_t> buildTerms;                // WHERE terms on this table alone
};

struct AggregateState {
    Datum value;
    int64_t count = 0;
    bool has = false;
};

class SelectRunner {
public:
    SelectRunner(Database& db, const TokenList& tokens, const std::vector<AstExpr>& ast, const AstSelect& sel)
        : db_(db), ast_(ast), sel_(sel), binder_(tokens, ast, exprs_) {}

    std::shared_ptr<ColumnStore> run() {
        openSources();
        bindClauses();
        loadColumns();
        scanAndJoin();
        if (grouped_) aggregate();
        return produce();
    }

private:
    // ---- binding -----------------------------------------------------------

    void openSources() {
        sources_.push_back(openSource(db_, sel_.from));
        for (const AstJoin& j : sel_.joins) sources_.push_back(openSource(db_, j.table));
        if (sources_.size() > 63) throw BindError("Too many joined tables");
        for (const TableSource& s : sources_) {
            binder_.sources.push_back(bindSourceOf(s));
            stores_.push_back(s.rows.get());
        }
        width_ = sources_.size();
    }

    bool astHasAggregate(int32_t i) const {
        if (i < 0) return false;
        const AstExpr& e = ast_[size_t(i)];
        return e.op == AstOp::Aggregate || astHasAggregate(e.left) || astHasAggregate(e.right);
    }

    void bindClauses() {
        exprs_.reserve(ast_.size() * 2 + 16);
        for (size_t j = 0; j < sel_.joins.size(); ++j) bindJoin(j);
        if (sel_.where >= 0) {
            const int32_t where = binder_.bindCondition(sel_.where);
            for (int32_t term : conjunctsOf(exprs_, where)) {
                const uint64_t mask = binder_.sourceMask(term);
                if ((mask & ~uint64_t(1)) == 0)
                    scanTerms_.push_back(term);
                else if (!pushIntoJoin(term, mask))
                    postTerms_.push_back(term);
            }
        }
        grouped_ = !sel_.groupBy.empty();
        for (const AstSelectItem& item : sel_.items) grouped_ = grouped_ || astHasAggregate(item.expr);
        for (const AstOrderItem& o : sel_.orderBy) grouped_ = grouped_ || astHasAggregate(o.expr);
        for (int32_t g : sel_.groupBy) {
            const int32_t b = binder_.bind(g);
            groupKeys_.push_back(b);
            if (exprs_[size_t(b)].op == ExprOp::Column)
                groupColumns_.emplace_back(exprs_[size_t(b)].source, exprs_[size_t(b)].field);
        }
        if (grouped_) {
            binder_.aggregates = &aggregates_;
            binder_.groupColumns = &groupColumns_;
        }
        bindOutputs();
        bindOrder();
    }

    void bindJoin(size_t j) {
        const uint32_t self = uint32_t(j + 1);
        const AstJoin& join = sel_.joins[j];
        JoinPlan plan;
        plan.left = join.left;
        const int32_t on = binder_.bindCondition(join.on);
        const uint64_t visible = (uint64_t(1) << (self + 1)) - 1;
        for (int32_t term : conjunctsOf(exprs_, on)) {
            const uint64_t mask = binder_.sourceMask(term);
            if (mask & ~visible)
                binder_.bindError(ast_[size_t(join.on)].offset, "ON names a table joined later");
            const BoundExpr& t = exprs_[size_t(term)];
            if (t.op == ExprOp::Compare && t.cmp == CompareOp::Equal) {
                const uint64_t ma = binder_.sourceMask(t.a), mb = binder_.sourceMask(t.b);
                const uint64_t selfBit = uint64_t(1) << self;
                if (ma == selfBit && mb != 0 && (mb & selfBit) == 0) {
                    plan.keys.emplace_back(t.b, t.a);
                    continue;
                }
                if (mb == selfBit && ma != 0 && (ma & selfBit) == 0) {
                    plan.keys.emplace_back(t.a, t.b);
                    continue;
                }
            }
            plan.residualTerms.push_back(term);
        }
        joins_.push_back(std::move(plan));
    }

    // A WHERE term on one joined table only, false for that table's NULL row,
    // keeps exactly the tuples whose row of that table passes it: the join
    // then hashes only the rows that pass and, for a LEFT JOIN, adds no NULL
    // row (the term would drop it). The result is the same, in the same order.
    bool pushIntoJoin(int32_t term, uint64_t mask) {
        for (size_t j = 0; j < joins_.size(); ++j) {
            if (mask != uint64_t(1) << (j + 1)) continue;
            const std::vector<uint32_t> nullRows(width_, kNoRow);
            if (holds(exprs_, term, rowOf(nullRows.data()))) return false;
            joins_[j].buildTerms.push_back(term);
            joins_[j].left = false;
            return true;
        }
        return false;
    }

    std::string outputName(const AstSelectItem& item) const {
        if (!item.alias.empty()) return std::string(item.alias);
        const AstExpr& e = ast_[size_t(item.expr)];
        if (e.op == AstOp::Column) return std::string(e.text);
        if (e.op == AstOp::Aggregate) return toUpperAscii(e.text);
        return "EXPR";
    }

    static FieldDef defOf(const BoundExpr& e, std::string name) {
        FieldDef d;
        d.name = std::move(name);
        d.type = fieldTypeOf(e.type);
        d.width = e.width;
        d.decimals = e.decimals;
        d.dbfType = dbfTypeOf(e.type);
        return d;
    }

    void addOutput(int32_t expr, std::string name) {
        const BoundExpr& e = exprs_[size_t(expr)];
        FieldDef def;
        if (e.op == ExprOp::Column) {
            def = (*binder_.sources[e.source].fields)[e.field];
            def.name = std::move(name);
        } else {
            def = defOf(e, std::move(name));
        }
        outputs_.push_back(OutputColumn{expr, std::move(def)});
    }

    void bindOutputs() {
        for (const AstSelectItem& item : sel_.items) {
            if (item.kind == AstSelectItem::Kind::Star) {
                bool found = false;
                for (uint32_t s = 0; s < binder_.sources.size(); ++s) {
                    const BindSource& src = binder_.sources[s];
                    if (!item.qualifier.empty() &&
                        !equalsIgnoreCase(src.alias.empty() ? src.baseName : src.alias, item.qualifier))
                        continue;
                    found = true;
                    for (uint32_t f = 0; f < src.fields->size(); ++f) {
                        if (grouped_ && std::find(groupColumns_.begin(), groupColumns_.end(), std::make_pair(s, f)) ==
                                            groupColumns_.end())
                            throw BindError("SELECT * cannot be grouped unless every field is in GROUP BY");
                        BoundExpr e;
                        e.op = ExprOp::Column;
                        e.source = s;
                        e.field = f;
                        e.type = datumTypeOf((*src.fields)[f].type);
                        exprs_.push_back(e);
                        addOutput(int32_t(exprs_.size() - 1), (*src.fields)[f].name);
                    }
                }
                if (!found) throw BindError("Unknown table name " + std::string(item.qualifier) + " in " +
                                            std::string(item.qualifier) + ".*");
                continue;
            }
            addOutput(binder_.bind(item.expr), outputName(item));
        }
        // Duplicate names get a suffix: IDTP, IDTP_1, IDTP_2.
        for (size_t i = 1; i < outputs_.size(); ++i) {
            const std::string base = outputs_[i].def.name;
            for (int n = 1;; ++n) {
                bool clash = false;
                for (size_t k = 0; k < i && !clash; ++k) clash = equalsIgnoreCase(outputs_[k].def.name, outputs_[i].def.name);
                if (!clash) break;
                outputs_[i].def.name = base + "_" + std::to_string(n);
            }
        }
    }

    void bindOrder() {
        for (const AstOrderItem& o : sel_.orderBy) {
            const AstExpr& e = ast_[size_t(o.expr)];
            int32_t bound = -1;
            if (e.op == AstOp::Column && e.qualifier.empty()) {
                for (const OutputColumn& out : outputs_)
                    if (equalsIgnoreCase(out.def.name, e.text)) {
                        bound = out.expr;
                        break;
                    }
            } else if (e.op == AstOp::Number) {
                const auto n = Decimal::parse(e.text);
                if (!n || !n->isWhole() || n->wholePart() < 1 || size_t(n->wholePart()) > outputs_.size())
                    binder_.bindError(e.offset, "ORDER BY " + std::string(e.text) + " names no result column");
                bound = outputs_[size_t(n->wholePart() - 1)].expr;
            }
            if (bound < 0) bound = binder_.bind(o.expr);
            order_.push_back(OrderKey{bound, o.descending});
        }
    }

    void loadColumns() {
        std::vector<bool> shownOnly(exprs_.size(), false);
        if (!sel_.distinct)
            for (const OutputColumn& o : outputs_)
                if (exprs_[size_t(o.expr)].op == ExprOp::Column) shownOnly[size_t(o.expr)] = true;
        for (const OrderKey& k : order_) shownOnly[size_t(k.expr)] = false;
        for (int32_t g : groupKeys_) shownOnly[size_t(g)] = false;
        std::vector<std::vector<size_t>> used(sources_.size());
        for (size_t i = 0; i < exprs_.size(); ++i) {
            const BoundExpr& e = exprs_[i];
            if (e.op != ExprOp::Column || shownOnly[i]) continue;
            std::vector<size_t>& fields = used[e.source];
            if (std::find(fields.begin(), fields.end(), e.field) == fields.end()) fields.push_back(e.field);
        }
        for (size_t src = 0; src < sources_.size(); ++src) sources_[src].table->load(used[src]);
    }

    // ---- scan, join, filter ------------------------------------------------

    EvalRow rowOf(const uint32_t* tuple, const Datum* aggs = nullptr) const {
        return EvalRow{stores_.data(), tuple, aggs};
    }

    void scanAndJoin() {
        const std::vector<uint32_t> base =
            scanRecords(sources_[0], 0, width_, exprs_, scanTerms_, stores_.data());
        tuples_.reserve(base.size() * width_);
        for (uint32_t r : base) {
            tuples_.push_back(r);
            for (size_t k = 1; k < width_; ++k) tuples_.push_back(kNoRow);
        }
        for (size_t j = 0; j < joins_.size(); ++j) join(j);
        if (!postTerms_.empty()) {
            size_t kept = 0;
            const size_t n = tuples_.size() / width_;
            for (size_t t = 0; t < n; ++t) {
                const uint32_t* tuple = &tuples_[t * width_];
                bool pass = true;
                for (int32_t term : postTerms_)
                    if (!holds(exprs_, term, rowOf(tuple))) {
                        pass = false;
                        break;
                    }
                if (!pass) continue;
                if (kept != t) std::copy(tuple, tuple + width_, &tuples_[kept * width_]);
                ++kept;
            }
            tuples_.resize(kept * width_);
        }
    }

    bool residualHolds(const JoinPlan& plan, const uint32_t* tuple) const {
        for (int32_t term : plan.residualTerms)
            if (!holds(exprs_, term, rowOf(tuple))) return false;
        return true;
    }

    void join(size_t j) {
        const JoinPlan& plan = joins_[j];
        const uint32_t self = uint32_t(j + 1);
        const TableSource& src = sources_[self];
        const ColumnStore& rows = *src.rows;
        const size_t n = rows.rowCount();

        // Build: a chained hash table over the live records of the joined table.
        std::vector<uint32_t> scratch(width_, kNoRow);
        std::vector<uint32_t> buildRows;
        std::vector<uint64_t> buildHashes;
        buildRows.reserve(n);
        buildHashes.reserve(n);
        for (uint32_t r = 0; r < n; ++r) {
            if (src.table->isDeleted(r)) continue;
            scratch[self] = r;
            bool passes = true;
            for (int32_t term : plan.buildTerms)
                if (!holds(exprs_, term, rowOf(scratch.data()))) {
                    passes = false;
                    break;
                }
            if (!passes) continue;
            uint64_t h = 0;
            bool null = false;
            for (const auto& key : plan.keys) {
                const Datum d = evaluate(exprs_, key.second, rowOf(scratch.data()));
                if (d.isNull()) {
                    null = true;
                    break;
                }
                h = combineHash(h, datumHash(d));
            }
            if (null) continue;  // NULL never equals anything
            buildRows.push_back(r);
            buildHashes.push_back(h);
        }
        const bool hashed = !plan.keys.empty();
        const size_t buckets = bucketCountFor(buildRows.size());
        std::vector<uint32_t> heads(hashed ? buckets : 0, kNoRow), next(buildRows.size(), kNoRow);
        if (hashed)
            for (size_t i = buildRows.size(); i-- > 0;) {  // backwards, so chains run in record order
                const size_t b = buildHashes[i] & (buckets - 1);
                next[i] = heads[b];
                heads[b] = uint32_t(i);
            }

        // Probe with every tuple so far.
        std::vector<uint32_t> out;
        out.reserve(tuples_.size() + tuples_.size() / 2);
        std::vector<uint32_t> tuple(width_);
        std::vector<Datum> probe(plan.keys.size());
        const size_t count = tuples_.size() / width_;
        for (size_t t = 0; t < count; ++t) {
            std::copy(&tuples_[t * width_], &tuples_[t * width_] + width_, tuple.begin());
            bool matched = false;
            auto emitIfMatch = [&](uint32_t r) {
                tuple[self] = r;
                if (!residualHolds(plan, tuple.data())) return;
                out.insert(out.end(), tuple.begin(), tuple.end());
                matched = true;
            };
            if (hashed) {
                uint64_t h = 0;
                bool null = false;
                for (size_t k = 0; k < plan.keys.size(); ++k) {
                    probe[k] = evaluate(exprs_, plan.keys[k].first, rowOf(tuple.data()));
                    if (probe[k].isNull()) {
                        null = true;
                        break;
                    }
                    h = combineHash(h, datumHash(probe[k]));
                }
                if (!null)
                    for (uint32_t i = heads[h & (buckets - 1)]; i != kNoRow; i = next[i]) {
                        if (buildHashes[i] != h) continue;
                        scratch[self] = buildRows[i];
                        bool equal = true;
                        for (size_t k = 0; k < plan.keys.size() && equal; ++k)
                            equal = datumEquals(probe[k], evaluate(exprs_, plan.keys[k].second, rowOf(scratch.data())));
                        if (equal) emitIfMatch(buildRows[i]);
                    }
            } else {
                for (uint32_t r : buildRows) emitIfMatch(r);
            }
            if (!matched && plan.left) {
                tuple[self] = kNoRow;
                out.insert(out.end(), tuple.begin(), tuple.end());
            }
        }
        tuples_ = std::move(out);
    }

    // ---- grouping ------------------------------------------------------------

    void accumulate(AggregateState* states, const uint32_t* tuple) const {
        for (size_t a = 0; a < aggregates_.size(); ++a) {
            const AggregateCall& call = aggregates_[a];
            AggregateState& st = states[a];
            if (call.func == AggregateFunc::CountAll) {
                ++st.count;
                continue;
            }
            const Datum v = evaluate(exprs_, call.arg, rowOf(tuple));
            if (v.isNull() || (v.type == DatumType::Text && trimRight(v.s).empty())) continue;
            switch (call.func) {
            case AggregateFunc::Count: ++st.count; break;
            case AggregateFunc::Sum:
                st.value = Datum::number(st.has ? (Decimal::fromUnits(st.value.i) + Decimal::fromUnits(v.i)).units() : v.i);
                break;
            case AggregateFunc::Max:
                if (!st.has || datumCompare(v, st.value) > 0) st.value = v;
                break;
            case AggregateFunc::Min:
                if (!st.has || datumCompare(v, st.value) < 0) st.value = v;
                break;
            case AggregateFunc::CountAll: break;
            }
            st.has = true;
        }
    }

    // The one source all GROUP BY keys are plain columns of, or -1.
    int rowKeyedSource() const {
        int source = -1;
        for (int32_t k : groupKeys_) {
            const BoundExpr& e = exprs_[size_t(k)];
            if (e.op != ExprOp::Column || (source >= 0 && int(e.source) != source)) return -1;
            source = int(e.source);
        }
        return source;
    }

    // Numbers the groups of the given tuples (indexes, in order) by first
    // appearance, appending each group's first tuple to groupRep_; returns
    // the group of each given tuple.
    std::vector<uint32_t> numberGroups(const std::vector<uint32_t>& given) {
        const size_t nKeys = groupKeys_.size();
        const size_t buckets = bucketCountFor(given.size());
        std::vector<uint32_t> heads(buckets, kNoRow), next, groupOf(given.size());
        std::vector<uint64_t> hashes;
        std::vector<Datum> keys(nKeys);
        for (size_t i = 0; i < given.size(); ++i) {
            const uint32_t* tuple = &tuples_[size_t(given[i]) * width_];
            uint64_t h = 0;
            for (size_t k = 0; k < nKeys; ++k) {
                keys[k] = evaluate(exprs_, groupKeys_[k], rowOf(tuple));
                h = combineHash(h, datumHash(keys[k]));
            }
            const size_t b = h & (buckets - 1);
            uint32_t g = heads[b];
            for (; g != kNoRow; g = next[g]) {
                if (hashes[g] != h) continue;
                const uint32_t* rep = &tuples_[size_t(groupRep_[g]) * width_];
                bool equal = true;
                for (size_t k = 0; k < nKeys && equal; ++k)
                    equal = sameKey(keys[k], evaluate(exprs_, groupKeys_[k], rowOf(rep)));
                if (equal) break;
            }
            if (g == kNoRow) {
                g = uint32_t(groupRep_.size());
                groupRep_.push_back(given[i]);
                hashes.push_back(h);
                next.push_back(heads[b]);
                heads[b] = g;
            }
            groupOf[i] = g;
        }
        return groupOf;
    }

    void aggregate() {
        const size_t count = tuples_.size() / width_;
        const size_t nAggs = aggregates_.size();
        std::vector<AggregateState> states;
        const size_t nKeys = groupKeys_.size();
        if (nKeys == 0) {
            // One group, even over no rows: Count(*) is then 0 and MAX is NULL.
            groupRep_.push_back(kNoRow);
            states.resize(nAggs);
            for (size_t t = 0; t < count; ++t) accumulate(states.data(), &tuples_[t * width_]);
        } else {
            std::vector<uint32_t> groupOf(count);
            const int source = rowKeyedSource();
            if (source > 0) {
                // The keys are columns of one joined table, read at its rows in
                // random order: the tuples are first numbered by that row (the
                // same row has the same keys) and only the first tuple of each
                // row has its keys read.
                const size_t rows = stores_[size_t(source)]->rowCount();
                std::vector<uint32_t> slotOfRow(rows + 1, kNoRow);  // the last slot: no row (NULL)
                std::vector<uint32_t> firsts, slotOf(count);
                for (size_t t = 0; t < count; ++t) {
                    const uint32_t r = tuples_[t * width_ + size_t(source)];
                    uint32_t& slot = slotOfRow[r == kNoRow ? rows : r];
                    if (slot == kNoRow) {
                        slot = uint32_t(firsts.size());
                        firsts.push_back(uint32_t(t));
                    }
                    slotOf[t] = slot;
                }
                const std::vector<uint32_t> groupOfFirst = numberGroups(firsts);
                for (size_t t = 0; t < count; ++t) groupOf[t] = groupOfFirst[slotOf[t]];
            } else {
                std::vector<uint32_t> all(count);
                std::iota(all.begin(), all.end(), 0u);
                groupOf = numberGroups(all);
            }
            states.resize(groupRep_.size() * nAggs);
            for (size_t t = 0; t < count; ++t) accumulate(states.data() + size_t(groupOf[t]) * nAggs, &tuples_[t * width_]);
        }
        aggValues_.resize(groupRep_.size() * nAggs);
        for (size_t g = 0; g < groupRep_.size(); ++g)
            for (size_t a = 0; a < nAggs; ++a) {
                const AggregateState& st = states[g * nAggs + a];
                Datum& v = aggValues_[g * nAggs + a];
                switch (aggregates_[a].func) {
                case AggregateFunc::CountAll:
                case AggregateFunc::Count: v = Datum::number(Decimal::fromInt(st.count).units()); break;
                default: v = st.has ? st.value : Datum(); break;
                }
            }
        // The representative tuple of a group made over no rows reads as NULLs.
        noRowTuple_.assign(width_, kNoRow);
    }

    // ---- output ----------------------------------------------------------------

    size_t unitCount() const { return grouped_ ? groupRep_.size() : tuples_.size() / width_; }

    EvalRow unitRow(size_t u) const {
        if (!grouped_) return rowOf(&tuples_[u * width_]);
        const uint32_t rep = groupRep_[u];
        const uint32_t* tuple = rep == kNoRow ? noRowTuple_.data() : &tuples_[size_t(rep) * width_];
        return rowOf(tuple, aggValues_.data() + u * aggregates_.size());
    }

    // Column by column: a source column is shown through the source rows of
    // the units (one list per source), each other column written in one pass.
    static constexpr size_t kShareFraction = 4;
    ColumnStore project(const std::vector<uint32_t>& units) const {
        std::vector<FieldDef> defs;
        for (const OutputColumn& o : outputs_) defs.push_back(o.def);
        ColumnStore out(std::move(defs));
        out.appendRows(units.size());
        std::vector<std::shared_ptr<const std::vector<uint32_t>>> rowsOf(width_);
        for (size_t c = 0; c < outputs_.size(); ++c) {
            const int32_t expr = outputs_[c].expr;
            const BoundExpr& e = exprs_[size_t(expr)];
            const ColumnStore& from = *stores_[e.source];
            // A few rows of a large column get cells of their own: sharing
            // would make the table copy the whole column at its next write.
            if (e.op == ExprOp::Column && (!from.isLoaded(e.field) || units.size() * kShareFraction >= from.rowCount())) {
                auto& rows = rowsOf[e.source];
                if (!rows) {
                    auto list = std::make_shared<std::vector<uint32_t>>(units.size());
                    for (size_t i = 0; i < units.size(); ++i) (*list)[i] = unitRow(units[i]).rows[e.source];
                    rows = std::move(list);
                }
                out.refer(c, from, e.field, rows);
            } else {
                for (size_t i = 0; i < units.size(); ++i)
                    writeDatum(out, i, c, evaluate(exprs_, expr, unitRow(units[i])));
            }
        }
        return out;
    }

    // One ORDER BY key of each unit as an integer: numbers and dates by value
    // (NULL first), texts by their rank in alphabetical order among the texts
    // sorted, so that each text is compared with the others only once.
    std::vector<int64_t> sortKey(int32_t expr, const std::vector<uint32_t>& units) const {
        const size_t n = units.size();
        std::vector<int64_t> out(n);
        if (exprs_[size_t(expr)].type != DatumType::Text) {
            for (size_t i = 0; i < n; ++i) {
                const Datum d = evaluate(exprs_, expr, unitRow(units[i]));
                out[i] = d.isNull() ? INT64_MIN : d.i;
            }
            return out;
        }
        std::unordered_map<std::string_view, uint32_t> ids;
        std::vector<std::string_view> distinct;
        for (size_t i = 0; i < n; ++i) {
            const Datum d = evaluate(exprs_, expr, unitRow(units[i]));
            const std::string_view text = d.isNull() ? std::string_view() : trimRight(d.s);
            const auto [it, added] = ids.emplace(text, uint32_t(distinct.size()));
            if (added) distinct.push_back(text);
            out[i] = it->second;
        }
        std::vector<uint32_t> byText(distinct.size());
        std::iota(byText.begin(), byText.end(), 0u);
        std::sort(byText.begin(), byText.end(),
                  [&](uint32_t a, uint32_t b) { return compareText(distinct[a], distinct[b]) < 0; });
        std::vector<int64_t> rank(distinct.size());
        for (size_t r = 0; r < byText.size(); ++r) rank[byText[r]] = int64_t(r);
        for (int64_t& v : out) v = rank[size_t(v)];
        return out;
    }

    // Stable sort of units by the ORDER BY keys.
    void sortUnits(std::vector<uint32_t>& units) const {
        std::vector<std::vector<int64_t>> keys;
        for (const OrderKey& k : order_) keys.push_back(sortKey(k.expr, units));
        std::vector<uint32_t> idx(units.size());
        std::iota(idx.begin(), idx.end(), 0u);
        std::sort(idx.begin(), idx.end(), [&](uint32_t a, uint32_t b) {
            for (size_t k = 0; k < keys.size(); ++k) {
                const int64_t x = keys[k][a], y = keys[k][b];
                if (x != y) return order_[k].descending ? x > y : x < y;
            }
            return a < b;
        });
        std::vector<uint32_t> sorted(units.size());
        for (size_t i = 0; i < idx.size(); ++i) sorted[i] = units[idx[i]];
        units = std::move(sorted);
    }

    // Positions of the first of each set of equal rows.
    static std::vector<uint32_t> distinctRows(const ColumnStore& rows) {
        const size_t n = rows.rowCount(), cols = rows.columnCount();
        const size_t buckets = bucketCountFor(n);
        std::vector<uint32_t> heads(buckets, kNoRow), next, kept;
        std::vector<uint64_t> hashes;
        for (uint32_t r = 0; r < n; ++r) {
            uint64_t h = 0;
            for (size_t c = 0; c < cols; ++c) h = combineHash(h, datumHash(cellDatum(rows, r, c)));
            const size_t b = h & (buckets - 1);
            bool seen = false;
            for (uint32_t k = heads[b]; k != kNoRow && !seen; k = next[k]) {
                if (hashes[k] != h) continue;
                bool equal = true;
                for (size_t c = 0; c < cols && equal; ++c)
                    equal = sameKey(cellDatum(rows, r, c), cellDatum(rows, kept[k], c));
                seen = equal;
            }
            if (seen) continue;
            next.push_back(heads[b]);
            heads[b] = uint32_t(kept.size());
            hashes.push_back(h);
            kept.push_back(r);
        }
        return kept;
    }

    std::shared_ptr<ColumnStore> produce() {
        std::vector<uint32_t> units(unitCount());
        std::iota(units.begin(), units.end(), 0u);
        if (!sel_.distinct) {
            if (!order_.empty()) sortUnits(units);
            return std::make_shared<ColumnStore>(project(units));
        }
        ColumnStore all = project(units);
        std::vector<uint32_t> kept = distinctRows(all);
        if (order_.empty()) {
            if (kept.size() == all.rowCount()) return std::make_shared<ColumnStore>(std::move(all));
            return std::make_shared<ColumnStore>(all.selectRows(kept));
        }
        // Row i of the projection is unit i, so the kept rows sort as units.
        sortUnits(kept);
        return std::make_shared<ColumnStore>(all.selectRows(kept));
    }

    Database& db_;
    const std::vector<AstExpr>& ast_;
    const AstSelect& sel_;
    std::vector<BoundExpr> exprs_;
    ExprBinder binder_;

    std::vector<TableSource> sources_;
    std::vector<const ColumnStore*> stores_;
    size_t width_ = 1;
    std::vector<JoinPlan> joins_;
    std::vector<int32_t> scanTerms_, postTerms_;
    bool grouped_ = false;
    std::vector<int32_t> groupKeys_;
    std::vector<std::pair<uint32_t, uint32_t>> groupColumns_;
    std::vector<AggregateCall> aggregates_;
    std::vector<OutputColumn> outputs_;
    std::vector<OrderKey> order_;

    std::vector<uint32_t> tuples_;
    std::vector<uint32_t> groupRep_;  // first tuple of each group; kNoRow for the group over no rows
    std::vector<Datum> aggValues_;    // per group, per aggregate
    std::vector<uint32_t> noRowTuple_;
};

}  // namespace

TableSource openSource(Database& db, const AstTable& ref) {
    TableSource s;
    s.table = db.table(ref.path);
    s.rows = s.table->rows();
    s.baseName = baseNameOf(ref.path);
    s.alias = ref.alias;
    return s;
}

BindSource bindSourceOf(const TableSource& source) {
    BindSource b;
    b.alias = source.alias;
    b.baseName = source.baseName;
    b.fields = &source.rows->fields();
    return b;
}

std::vector<size_t> fieldsRead(const std::vector<BoundExpr>& exprs, uint32_t source) {
    std::vector<size_t> fields;
    for (const BoundExpr& e : exprs)
        if (e.op == ExprOp::Column && e.source == source && std::find(fields.begin(), fields.end(), e.field) == fields.end())
            fields.push_back(e.field);
    return fields;
}

std::vector<int32_t> conjunctsOf(const std::vector<BoundExpr>& exprs, int32_t root) {
    std::vector<int32_t> out;
    if (root < 0) return out;
    std::vector<int32_t> stack{root};
    while (!stack.empty()) {
        const int32_t i = stack.back();
        stack.pop_back();
        const BoundExpr& e = exprs[size_t(i)];
        if (e.op == ExprOp::And) {
            stack.push_back(e.b);
            stack.push_back(e.a);
        } else {
            out.push_back(i);
        }
    }
    return out;
}

std::vector<uint32_t> scanRecords(const TableSource& source, uint32_t sourceIndex, size_t sourceCount,
                                  const std::vector<BoundExpr>& exprs, const std::vector<int32_t>& conditions,
                                  const ColumnStore* const* stores) {
    // The narrowest equality lookup, if there is one. A lookup costs about
    // as much as the records it finds, so one that finds a few ends the search.
    constexpr size_t kFewRecords = 16;
    bool looked = false;
    std::vector<uint32_t> hits;
    for (int32_t term : conditions) {
        const BoundExpr& t = exprs[size_t(term)];
        if (t.op != ExprOp::Compare || t.cmp != CompareOp::Equal) continue;
        const BoundExpr* col = &exprs[size_t(t.a)];
        const BoundExpr* val = &exprs[size_t(t.b)];
        if (col->op != ExprOp::Column) std::swap(col, val);
        if (col->op != ExprOp::Column || col->source != sourceIndex || val->op != ExprOp::Constant ||
            val->constant.isNull() || val->type != col->type)
            continue;
        const std::vector<uint32_t>& found = source.table->lookup(int(col->field), datumToValue(val->constant));
        if (!looked || found.size() < hits.size()) hits = found;
        looked = true;
        if (hits.size() <= kFewRecords) break;
    }

    std::vector<uint32_t> rows(sourceCount, kNoRow);
    const EvalRow er{stores, rows.data(), nullptr};
    auto passes = [&](uint32_t r) {
        rows[sourceIndex] = r;
        for (int32_t term : conditions)
            if (!holds(exprs, term, er)) return false;
        return true;
    };
    std::vector<uint32_t> out;
    if (looked) {
        for (uint32_t r : hits)
            if (passes(r)) out.push_back(r);
        return out;
    }
    const size_t n = source.rows->rowCount();
    out.reserve(conditions.empty() ? n : 0);
    for (uint32_t r = 0; r < n; ++r)
        if (!source.table->isDeleted(r) && passes(r)) out.push_back(r);
    return out;
}

std::shared_ptr<ColumnStore> runSelect(Database& db, const TokenList& tokens, const std::vector<AstExpr>& ast,
                                       const AstSelect& select) {
    return SelectRunner(db, tokens, ast, select).run();
}

}  // namespace engine
