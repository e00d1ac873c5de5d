#include "app/codeaza_str.h"

#include <cstdint>

#include "platform/text_codec.h"

namespace {

// The linear congruential generator the stored texts were made with.
class Generator {
public:
    explicit Generator(uint32_t seed) : seed_(seed) {}
    // 0 <= result < n; 0 for n = 0.
    int random(int n) {
        seed_ = seed_ * 134775813u + 1u;
        return int((uint64_t(seed_) * uint32_t(n)) >> 32);
    }

private:
    uint32_t seed_;
};

}  // namespace

QByteArray scrambledPasswordBytes(const QByteArray& password) {
    QByteArray p = password;
    uint32_t sum = 0;
    for (const char c : p) sum += uint8_t(c);
    Generator g(sum);

    const int inserts = g.random(30) + 6;
    for (int n = 0; n < inserts; ++n) {
        const int pos = g.random(int(p.size()));  // before the character at pos (from 0)
        const char c = char(g.random(150) + 32);
        p.insert(pos, c);
    }
    const int swaps = g.random(50) + 50;
    p.prepend(' ');
    // Positions count from 1 as the stored texts were made; position 1 is the
    // swap's temporary place and keeps the last value put there.
    const auto at = [&p](int position) -> char& { return p[position - 1]; };
    for (int n = 0; n < swaps; ++n) {
        const int i = g.random(int(p.size()) - 2) + 2;
        const int j = g.random(int(p.size()) - 2) + 2;
        at(1) = at(i);
        at(i) = at(j);
        at(j) = at(1);
    }
    return p;
}

QString CodeazaStr(const QString& password) {
    return platform::fromCp1250(scrambledPasswordBytes(platform::toCp1250Lossy(password)));
}
