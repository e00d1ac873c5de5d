// Layout written: the header, the stream's sectors, one directory sector
// (root entry and the stream entry), the FAT sectors, and when more than 109
// FAT sectors are needed, the DIFAT sectors that list the rest.
#include "exchange/compound_file.h"

#include <cstdint>
#include <vector>

namespace exchange {

namespace {

constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kEntriesPerSector = kSectorSize / 4;
constexpr uint32_t kMiniStreamCutoff = 4096;
constexpr uint32_t kHeaderDifatEntries = 109;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;

void put16(std::string& out, size_t at, uint16_t v) {
    out[at] = char(v & 0xFF);
    out[at + 1] = char(v >> 8);
}

void put32(std::string& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

std::string directoryEntry(std::u16string_view name, uint8_t type, uint32_t child, uint32_t start, uint32_t size) {
    std::string e(128, '\0');
    for (size_t i = 0; i < name.size() && i < 31; ++i) put16(e, 2 * i, uint16_t(name[i]));
    put16(e, 64, uint16_t(name.empty() ? 0 : 2 * (name.size() + 1)));
    e[66] = char(type);
    e[67] = 1;  // black
    put32(e, 68, kNoStream);
    put32(e, 72, kNoStream);
    put32(e, 76, child);
    put32(e, 116, start);
    put32(e, 120, size);
    return e;
}

}  // namespace

std::string compoundFileWithStream(std::u16string_view streamName, std::string stream) {
    if (stream.size() < kMiniStreamCutoff) stream.resize(kMiniStreamCutoff, '\0');
    const uint32_t streamSize = uint32_t(stream.size());
    const uint32_t streamSectors = (streamSize + kSectorSize - 1) / kSectorSize;
    stream.resize(size_t(streamSectors) * kSectorSize, '\0');

    // Grow the FAT and DIFAT until they cover every sector, themselves included.
    uint32_t fatSectors = 1;
    uint32_t difatSectors = 0;
    for (;;) {
        const uint32_t total = streamSectors + 1 + fatSectors + difatSectors;
        const uint32_t needFat = (total + kEntriesPerSector - 1) / kEntriesPerSector;
        const uint32_t needDifat = needFat > kHeaderDifatEntries
                                       ? (needFat - kHeaderDifatEntries + kEntriesPerSector - 2) / (kEntriesPerSector - 1)
                                       : 0;
        if (needFat == fatSectors && needDifat == difatSectors) break;
        fatSectors = needFat;
        difatSectors = needDifat;
    }
    const uint32_t directorySector = streamSectors;
    const uint32_t firstFat = directorySector + 1;
    const uint32_t firstDifat = firstFat + fatSectors;

    std::vector<uint32_t> fat(size_t(fatSectors) * kEntriesPerSector, kFreeSector);
    for (uint32_t s = 0; s < streamSectors; ++s) fat[s] = s + 1 < streamSectors ? s + 1 : kEndOfChain;
    fat[directorySector] = kEndOfChain;
    for (uint32_t s = 0; s < fatSectors; ++s) fat[firstFat + s] = kFatSector;
    for (uint32_t s = 0; s < difatSectors; ++s) fat[firstDifat + s] = kDifatSector;

    std::string header(kSectorSize, '\0');
    static const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    for (int i = 0; i < 8; ++i) header[size_t(i)] = char(signature[i]);
    put16(header, 24, 0x003E);
    put16(header, 26, 0x0003);
    put16(header, 28, 0xFFFE);
    put16(header, 30, 9);   // 512-byte sectors
    put16(header, 32, 6);   // 64-byte mini sectors
    put32(header, 44, fatSectors);
    put32(header, 48, directorySector);
    put32(header, 56, kMiniStreamCutoff);
    put32(header, 60, kEndOfChain);  // no mini FAT
    put32(header, 68, difatSectors ? firstDifat : kEndOfChain);
    put32(header, 72, difatSectors);
    for (uint32_t i = 0; i < kHeaderDifatEntries; ++i)
        put32(header, 76 + 4 * i, i < fatSectors ? firstFat + i : kFreeSector);

    std::string out = std::move(header);
    out.reserve(size_t(firstDifat + difatSectors + 1) * kSectorSize);
    out += stream;

    std::string directory = directoryEntry(u"Root Entry", 5, 1, kEndOfChain, 0);
    directory += directoryEntry(streamName, 2, kNoStream, 0, streamSize);
    std::string empty = directoryEntry(u"", 0, kNoStream, 0, 0);
    directory += empty;
    directory += empty;
    out += directory;

    std::string fatBytes(fat.size() * 4, '\0');
    for (size_t i = 0; i < fat.size(); ++i) put32(fatBytes, 4 * i, fat[i]);
    out += fatBytes;

    // Each DIFAT sector: 127 FAT sector numbers, then the next DIFAT sector.
    uint32_t listed = kHeaderDifatEntries;
    for (uint32_t d = 0; d < difatSectors; ++d) {
        std::string sector(kSectorSize, '\0');
        for (uint32_t i = 0; i < kEntriesPerSector - 1; ++i, ++listed)
            put32(sector, 4 * i, listed < fatSectors ? firstFat + listed : kFreeSector);
        put32(sector, kSectorSize - 4, d + 1 < difatSectors ? firstDifat + d + 1 : kEndOfChain);
        out += sector;
    }
    return out;
}

}  // namespace exchange
