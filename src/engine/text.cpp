#include "engine/text.h"


namespace engine {

char32_t nextCodePoint(std::string_view s, size_t& pos) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    auto cont = [&](size_t k) -> int {
        if (pos + k >= s.size()) return -1;
        const auto b = static_cast<unsigned char>(s[pos + k]);
        return (b & 0xC0) == 0x80 ? (b & 0x3F) : -1;
    };
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    if ((b0 & 0xE0) == 0xC0) {
        const int c1 = cont(1);
        if (c1 >= 0) {
            pos += 2;
            return char32_t(((b0 & 0x1F) << 6) | c1);
        }
    } else if ((b0 & 0xF0) == 0xE0) {
        const int c1 = cont(1), c2 = c1 >= 0 ? cont(2) : -1;
        if (c2 >= 0) {
            pos += 3;
            return char32_t(((b0 & 0x0F) << 12) | (c1 << 6) | c2);
        }
    } else if ((b0 & 0xF8) == 0xF0) {
        const int c1 = cont(1), c2 = c1 >= 0 ? cont(2) : -1, c3 = c2 >= 0 ? cont(3) : -1;
        if (c3 >= 0) {
            pos += 4;
            return char32_t(((b0 & 0x07) << 18) | (c1 << 12) | (c2 << 6) | c3);
        }
    }
    ++pos;
    return b0;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

namespace {

// Primary weight: code point order spread by 4, letters folded to their capital,
// the Romanian letters slotted right after their base letter.
uint32_t primaryWeight(char32_t c) {
    if (c >= 'a' && c <= 'z') return uint32_t(c - 'a' + 'A') * 4;
    if (c < 0x80) return uint32_t(c) * 4;
    switch (c) {
    case U'Ă': case U'ă': return 'A' * 4 + 1;
    case U'Â': case U'â': return 'A' * 4 + 2;
    case U'Î': case U'î': return 'I' * 4 + 1;
    case U'Ş': case U'ş': case U'Ș': case U'ș': return 'S' * 4 + 1;
    case U'Ţ': case U'ţ': case U'Ț': case U'ț': return 'T' * 4 + 1;
    default: return uint32_t(c) * 4;
    }
}

}  // namespace

int compareText(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[j]);
        if (ca < 0x80 && cb < 0x80) {
            // Fast path for plain ASCII.
            const uint32_t wa = primaryWeight(ca), wb = primaryWeight(cb);
            if (wa != wb) return wa < wb ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        const uint32_t wa = primaryWeight(nextCodePoint(a, i));
        const uint32_t wb = primaryWeight(nextCodePoint(b, j));
        if (wa != wb) return wa < wb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    // Equal but for letter case or an equivalent letter: the exact characters
    // decide (UTF-8 byte order is code point order).
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

namespace {

// Matcher with one back-tracking point per '%', over any sequence of units.
template <typename Seq>
bool matchUnits(const Seq& t, const Seq& p, typename Seq::value_type any, typename Seq::value_type one) {
    size_t ti = 0, pi = 0, starP = std::string_view::npos, starT = 0;
    while (ti < t.size()) {
        if (pi < p.size() && ((one && p[pi] == one) || (p[pi] != any && p[pi] == t[ti]))) {
            ++ti;
            ++pi;
        } else if (pi < p.size() && p[pi] == any) {
            starP = pi++;
            starT = ti;
        } else if (starP != std::string_view::npos) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == any) ++pi;
    return pi == p.size();
}

}  // namespace

bool likeMatch(std::string_view text, std::string_view pattern) {
    // Without '_' the bytes of UTF-8 can be matched directly: a pattern of whole
    // characters only ever matches at character boundaries.
    if (pattern.find('_') == std::string_view::npos) return matchUnits(text, pattern, '%', '\0');
    std::u32string t, p;
    for (size_t i = 0; i < text.size();) t.push_back(nextCodePoint(text, i));
    for (size_t i = 0; i < pattern.size();) p.push_back(nextCodePoint(pattern, i));
    return matchUnits(t, p, U'%', U'_');
}

std::string_view trimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return s.substr(0, n);
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = char(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::string toUpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return out;
}

}  // namespace engine
