#include "engine/heap_policy.h"

#include <mutex>

#include "engine/os.h"

namespace engine {
namespace {

// glibc's largest threshold for serving a block from the heap instead of a
// mapping of its own.
constexpr size_t kHeapBlockLimit = size_t(32) << 20;
// Free bytes at the top of the heap before any go back to the system.
constexpr size_t kKeptFreeBytes = size_t(64) << 20;

}  // namespace

// A statement over a large register allocates and frees tens of megabytes
// of scratch arrays (row lists, hash tables, aggregates). By default the
// heap maps each large block anew and gives it back when freed, and every
// page of it is then faulted in again by the next statement: on a virtual
// machine that costs more than the statement itself (about 3 ms a megabyte,
// against half a millisecond to reuse it). Kept, the next statement finds
// its pages in place; at most 64 MB stay free at the top of the heap.
void keepFreedBlocksForReuse() {
    static std::once_flag once;
    std::call_once(once, [] { os::keepFreedBlocks(kHeapBlockLimit, kKeptFreeBytes); });
}

}  // namespace engine
