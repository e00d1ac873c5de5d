// Reading one stream of an OLE2 compound document: the header, the sector
// allocation table (FAT) gathered through the header and the DIFAT chain,
// the directory, and the stream's chain of sectors, or of 64-byte mini
// sectors inside the root entry's mini stream when it is shorter than the
// cutoff. Sector n starts at (n + 1) << shift. A chain that meets a sector
// twice is damage, so no chain runs for ever.
#include <cstdint>
#include <set>
#include <vector>

#include "exchange/compound_file.h"
#include "exchange/workbook_reader.h"

namespace exchange {

namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr size_t kHeaderSize = 512;
constexpr size_t kHeaderDifatEntries = 109;
constexpr size_t kEntrySize = 128;
constexpr uint32_t kMiniSectorSize = 64;
constexpr uint8_t kStorage = 1;
constexpr uint8_t kStream = 2;
constexpr uint8_t kRoot = 5;

[[noreturn]] void damaged(const std::string& what) {
    throw WorkbookError("Fisierul nu este un document Excel intreg: " + what + ".");
}

uint16_t le16(std::string_view s, size_t at) { return uint16_t(uint8_t(s[at]) | uint8_t(s[at + 1]) << 8); }

uint32_t le32(std::string_view s, size_t at) {
    return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
           uint32_t(uint8_t(s[at + 3])) << 24;
}

char16_t foldCase(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c; }

struct Entry {
    std::u16string name;
    uint8_t type = 0;
    uint32_t left = kNoStream;
    uint32_t right = kNoStream;
    uint32_t child = kNoStream;
    uint32_t start = kEndOfChain;
    uint64_t size = 0;
};

class Document {
public:
    explicit Document(std::string_view file) : file_(file) {
        if (file_.size() < kHeaderSize) damaged("antetul documentului compus lipseste");
        static const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        for (size_t i = 0; i < 8; ++i)
            if (uint8_t(file_[i]) != signature[i]) damaged("semnatura documentului compus lipseste");
        const uint16_t shift = le16(file_, 30);
        if (shift != 9 && shift != 12) damaged("marimea sectoarelor (2^" + std::to_string(shift) + ") nu este 512 sau 4096");
        if (le16(file_, 32) != 6) damaged("marimea mini-sectoarelor nu este 64");
        version4_ = shift == 12;
        sectorSize_ = uint32_t(1) << shift;
        sectorCount_ = file_.size() <= sectorSize_ ? 0 : (file_.size() - sectorSize_ + sectorSize_ - 1) / sectorSize_;
        miniCutoff_ = le32(file_, 56);
        readFat();
        readDirectory();
    }

    std::optional<std::string> stream(std::u16string_view name) const {
        const Entry* found = findInRoot(name);
        if (!found) return std::nullopt;
        if (found->size == 0) return std::string();
        if (found->size < miniCutoff_) return miniChain(found->start, found->size);
        return chain(found->start, found->size);
    }

private:
    // The bytes of a sector (the file's last one may be short).
    std::string_view sector(uint32_t n) const {
        if (n >= sectorCount_)
            damaged("sectorul " + std::to_string(n) + " este dincolo de sfarsitul fisierului (" +
                    std::to_string(sectorCount_) + " sectoare)");
        const size_t at = (size_t(n) + 1) * sectorSize_;
        return file_.substr(at, std::min<size_t>(sectorSize_, file_.size() - at));
    }

    void readFat() {
        const uint32_t fatSectors = le32(file_, 44);
        const uint32_t difatSectors = le32(file_, 72);
        if (fatSectors > sectorCount_ || difatSectors > sectorCount_)
            damaged("antetul numara mai multe sectoare de alocare decat are fisierul");
        std::vector<uint32_t> fatList;
        for (size_t i = 0; i < kHeaderDifatEntries && fatList.size() < fatSectors; ++i)
            fatList.push_back(le32(file_, 76 + 4 * i));
        uint32_t next = le32(file_, 68);
        const size_t perSector = sectorSize_ / 4 - 1;
        for (uint32_t d = 0; d < difatSectors && fatList.size() < fatSectors; ++d) {
            const std::string_view s = sector(next);
            if (s.size() < sectorSize_) damaged("un sector al listei de alocare este scurtat");
            for (size_t i = 0; i < perSector && fatList.size() < fatSectors; ++i) fatList.push_back(le32(s, 4 * i));
            next = le32(s, 4 * perSector);
        }
        if (fatList.size() < fatSectors) damaged("lista sectoarelor de alocare este incompleta");
        fat_.reserve(size_t(fatSectors) * (sectorSize_ / 4));
        for (const uint32_t n : fatList) {
            const std::string_view s = sector(n);
            if (s.size() < sectorSize_) damaged("un sector al tabelei de alocare este scurtat");
            for (size_t i = 0; i + 4 <= s.size(); i += 4) fat_.push_back(le32(s, i));
        }
    }

    // The sectors of a chain in order, the first `wanted` of them (all when
    // the chain is shorter); a sector met twice is a loop.
    std::vector<uint32_t> chainSectors(uint32_t start, const std::vector<uint32_t>& table, uint64_t wanted) const {
        std::vector<uint32_t> out;
        std::vector<bool> seen(table.size());
        for (uint32_t s = start; s != kEndOfChain && out.size() < wanted;) {
            if (s >= table.size())
                damaged("un lant de sectoare trece prin sectorul " + std::to_string(s) + ", care nu exista");
            if (seen[s]) damaged("un lant de sectoare se intoarce in el insusi");
            seen[s] = true;
            out.push_back(s);
            s = table[s];
        }
        return out;
    }

    // The first `size` bytes of the chain of regular sectors from `start`.
    std::string chain(uint32_t start, uint64_t size) const {
        const uint64_t needed = (size + sectorSize_ - 1) / sectorSize_;
        if (needed > sectorCount_) damaged("un flux declara mai multi octeti decat are fisierul");
        std::string out;
        out.reserve(size_t(size));
        for (const uint32_t s : chainSectors(start, fat_, needed)) out.append(sector(s));
        if (out.size() < size) damaged("un flux se termina inaintea marimii declarate");
        out.resize(size_t(size));
        return out;
    }

    std::string miniChain(uint32_t start, uint64_t size) const {
        const Entry& root = entries_.front();
        const std::string container = chain(root.start, root.size);
        std::vector<uint32_t> miniFat;
        const uint32_t miniFatSectors = le32(file_, 64);
        if (miniFatSectors > sectorCount_) damaged("antetul numara prea multe sectoare de mini-alocare");
        const std::string miniFatBytes = chain(le32(file_, 60), uint64_t(miniFatSectors) * sectorSize_);
        for (size_t i = 0; i + 4 <= miniFatBytes.size(); i += 4) miniFat.push_back(le32(miniFatBytes, i));
        const uint64_t miniSectors = container.size() / kMiniSectorSize;
        const uint64_t needed = (size + kMiniSectorSize - 1) / kMiniSectorSize;
        if (needed > miniSectors) damaged("un flux mic declara mai multi octeti decat are mini-fluxul");
        std::string out;
        out.reserve(size_t(size));
        for (const uint32_t s : chainSectors(start, miniFat, needed)) {
            if (s >= miniSectors) damaged("mini-sectorul " + std::to_string(s) + " este dincolo de mini-flux");
            out.append(container, size_t(s) * kMiniSectorSize, kMiniSectorSize);
        }
        if (out.size() < size) damaged("un flux mic se termina inaintea marimii declarate");
        out.resize(size_t(size));
        return out;
    }

    void readDirectory() {
        std::string bytes;
        for (const uint32_t s : chainSectors(le32(file_, 48), fat_, UINT64_MAX)) bytes.append(sector(s));
        for (size_t at = 0; at + kEntrySize <= bytes.size(); at += kEntrySize) {
            const std::string_view e(bytes.data() + at, kEntrySize);
            Entry entry;
            entry.type = uint8_t(e[66]);
            const uint16_t nameBytes = le16(e, 64);
            if (entry.type != 0) {
                if (nameBytes > 64 || nameBytes % 2) damaged("o intrare a directorului are un nume deteriorat");
                for (size_t i = 0; i + 2 < nameBytes; i += 2) entry.name += char16_t(le16(e, i));
            }
            entry.left = le32(e, 68);
            entry.right = le32(e, 72);
            entry.child = le32(e, 76);
            entry.start = le32(e, 116);
            entry.size = le32(e, 120);
            // Version 3 leaves the high half to chance; version 4 uses it.
            if (version4_) entry.size |= uint64_t(le32(e, 124)) << 32;
            entries_.push_back(std::move(entry));
        }
        if (entries_.empty() || entries_.front().type != kRoot) damaged("directorul nu incepe cu intrarea radacina");
    }

    // The root's children form a tree by left and right; each entry is
    // visited once.
    const Entry* findInRoot(std::u16string_view name) const {
        std::vector<uint32_t> pending{entries_.front().child};
        std::set<uint32_t> seen;
        while (!pending.empty()) {
            const uint32_t n = pending.back();
            pending.pop_back();
            if (n == kNoStream) continue;
            if (n >= entries_.size() || !seen.insert(n).second)
                damaged("arborele directorului trimite la intrarea " + std::to_string(n) + ", care nu exista");
            const Entry& e = entries_[n];
            if (e.type == kStream && sameName(e.name, name)) return &e;
            if (e.type != kStream && e.type != kStorage) damaged("arborele directorului cuprinde o intrare goala");
            pending.push_back(e.left);
            pending.push_back(e.right);
        }
        return nullptr;
    }

    static bool sameName(std::u16string_view a, std::u16string_view b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (foldCase(a[i]) != foldCase(b[i])) return false;
        return true;
    }

    std::string_view file_;
    bool version4_ = false;
    uint32_t sectorSize_ = 512;
    uint64_t sectorCount_ = 0;
    uint32_t miniCutoff_ = 4096;
    std::vector<uint32_t> fat_;
    std::vector<Entry> entries_;
};

}  // namespace

std::optional<std::string> compoundFileStream(std::string_view file, std::u16string_view streamName) {
    return Document(file).stream(streamName);
}

}  // namespace exchange
