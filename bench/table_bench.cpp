// Table files at the size of a large register: 350,000 surfaces.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/database.h"

using engine::Database;
using engine::Decimal;
using engine::FieldDef;
using engine::FieldType;
using engine::Value;

namespace {

constexpr int kSurfaces = 350000;

FieldDef text(const char* name, int width) { return {name, FieldType::Text, width, 0, 'C'}; }
FieldDef number(const char* name, int width, int decimals) { return {name, FieldType::Number, width, decimals, 'N'}; }

double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A TPDET table of kSurfaces records, made once per run.
class Register {
public:
    Register() {
        std::string pattern = (std::filesystem::temp_directory_path() / "terralog-bench-XXXXXX").string();
        dir_ = ::mkdtemp(&pattern[0]);
        path_ = dir_ + "/TPDET.DBF";
        Database db;
        db.createTable(path_, {number("IDTP", 10, 0), number("IDDET", 10, 0), text("TIP", 10), text("CATEG", 20),
                               text("NRTARLA", 16), number("PARCELA", 6, 0), text("LOT", 16), number("SUPRAF", 9, 4),
                               text("VECN", 36), text("VECE", 36), text("VECS", 36), text("VECV", 36), text("OBS", 50),
                               number("LUNG", 8, 4), number("LAT", 8, 4), text("COMENT", 50)});
        auto table = db.table(path_);
        auto w = table->beginWrite();
        for (int i = 0; i < kSurfaces; ++i) {
            const auto n = [](int64_t v) { return Value::number(Decimal::fromInt(v)); };
            w->append({n(i / 3 + 2), n(i + 2), Value::text(i % 4 ? "EXTRAVILAN" : "INTRAVILAN"),
                       Value::text(i % 3 ? "Arabil" : "Vii"), Value::text(std::to_string(i % 90 + 1)), n(i % 400),
                       Value::text(i % 5 ? "" : "A"), Value::number(Decimal::fromUnits(12345 + i % 1000)),
                       Value::text("Popescu Ion " + std::to_string(i % 77)), Value::text("Drum de exploatare"),
                       Value::text("Ionescu Maria"), Value::text("Canal " + std::to_string(i % 13)),
                       Value::text(i % 7 ? "" : "La Fântână"), Value(), Value(), Value::text("")});
        }
        w->commit();
    }
    ~Register() { std::filesystem::remove_all(dir_); }
    const std::string& path() const { return path_; }

private:
    std::string dir_;
    std::string path_;
};

const Register& surfaces() {
    static Register r;
    return r;
}

void LoadSurfaces(benchmark::State& state) {
    const std::string& path = surfaces().path();
    for (auto _ : state) {
        Database db;
        const double before = residentMegabytes();
        auto table = db.table(path);
        state.counters["resident_MB"] = residentMegabytes() - before;
        benchmark::DoNotOptimize(table->recordCount());
    }
    state.counters["records"] = kSurfaces;
}
BENCHMARK(LoadSurfaces)->Unit(benchmark::kMillisecond);

// One UPDATE ... WHERE IDDET = n: a lookup and the write of one cell.
void PointUpdate(benchmark::State& state) {
    Database db;
    auto table = db.table(surfaces().path());
    const int idField = table->findField("IDDET"), areaField = table->findField("SUPRAF");
    int64_t id = 2;
    for (auto _ : state) {
        const auto& hits = table->lookup(idField, Value::number(Decimal::fromInt(id)));
        auto w = table->beginWrite();
        for (uint32_t r : hits) w->update(r, areaField, Value::number(Decimal::fromUnits(id)));
        w->commit();
        id = id % kSurfaces + 2;
    }
}
BENCHMARK(PointUpdate)->Unit(benchmark::kMicrosecond);

// One INSERT: a record appended to the large table.
void Append(benchmark::State& state) {
    Database db;
    auto table = db.table(surfaces().path());
    const std::vector<Value> record(table->fields().size(), Value());
    std::vector<Value> values = record;
    values[2] = Value::text("EXTRAVILAN");
    for (auto _ : state) {
        auto w = table->beginWrite();
        w->append(values);
        w->commit();
    }
}
BENCHMARK(Append)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
