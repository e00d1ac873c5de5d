// Table files built byte by byte, for the variants our own writer never makes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RawField {
    std::string name;
    char type;
    int width;
    int decimals = 0;
};

// A dBase III file: header, descriptors, terminator, `extraHeader` zero bytes
// (a FoxPro backlink), the records as given (each starting with its deletion
// flag) and an end-of-file byte.
inline std::string dbfBytes(const std::vector<RawField>& fields, const std::vector<std::string>& records,
                            uint8_t version = 0x03, uint8_t ldid = 0xC8, size_t extraHeader = 0) {
    std::string h(32, '\0');
    const size_t headerLength = 32 + 32 * fields.size() + 1 + extraHeader;
    size_t recordLength = 1;
    for (const auto& f : fields) recordLength += size_t(f.width);
    h[0] = char(version);
    h[1] = char(124);
    h[2] = 1;
    h[3] = 1;
    const uint32_t count = uint32_t(records.size());
    for (int i = 0; i < 4; ++i) h[4 + i] = char(count >> (8 * i) & 0xFF);
    h[8] = char(headerLength & 0xFF);
    h[9] = char(headerLength >> 8);
    h[10] = char(recordLength & 0xFF);
    h[11] = char(recordLength >> 8);
    h[29] = char(ldid);
    for (const auto& f : fields) {
        std::string d(32, '\0');
        d.replace(0, f.name.size(), f.name);
        d[11] = f.type;
        d[16] = char(f.width);
        d[17] = char(f.decimals);
        h += d;
    }
    h += '\x0D';
    h += std::string(extraHeader, '\0');
    for (const auto& r : records) h += r;
    h += '\x1A';
    return h;
}
