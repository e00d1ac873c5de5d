// The archive reader over any bytes: it either reads every record, each
// exactly its size and under a plain file name, or refuses with ArchiveError.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "backup/archive_error.h"
#include "backup/archive_reader.h"
#include "backup/record_names.h"

namespace {

class CountingSink : public backup::ByteSink {
public:
    void write(const char*, size_t size) override { bytes += size; }
    size_t bytes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    backup::MemorySource source(reinterpret_cast<const char*>(data), size);
    backup::ArchiveReader reader(source, QStringLiteral("fuzz.tlg"));
    try {
        reader.count();
        backup::RecordHeader header;
        while (reader.next(header)) {
            if (!backup::fileNameProblem(header.fileName).isEmpty() || header.size <= 0) std::abort();
            CountingSink sink;
            reader.content(&sink);
            if (sink.bytes != size_t(header.size)) std::abort();
        }
    } catch (const backup::ArchiveError&) {
    }
    return 0;
}
