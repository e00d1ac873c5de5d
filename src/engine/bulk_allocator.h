#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "engine/os.h"

namespace engine {

// Memory for the large arrays of decoded columns, straight from the system
// (on huge pages where it offers them). A column of a large table is written top to bottom
// right after it is allocated; faulting in its pages 4 KiB at a time costs
// more than decoding it, on a virtual machine most of all. Small arrays come
// from the ordinary heap.
template <class T>
struct BulkAllocator {
    using value_type = T;
    static constexpr size_t kBulkBytes = size_t(1) << 20;

    BulkAllocator() = default;
    template <class U>
    BulkAllocator(const BulkAllocator<U>&) {}

    T* allocate(size_t n) {
        const size_t bytes = n * sizeof(T);
        if (bytes < kBulkBytes) return static_cast<T*>(::operator new(bytes));
        void* block = os::allocateBulk(roundUp(bytes));
        if (!block) throw std::bad_alloc();
        return static_cast<T*>(block);
    }

    void deallocate(T* p, size_t n) {
        const size_t bytes = n * sizeof(T);
        if (bytes < kBulkBytes)
            ::operator delete(p);
        else
            os::releaseBulk(p, roundUp(bytes));
    }

    template <class U>
    bool operator==(const BulkAllocator<U>&) const { return true; }
    template <class U>
    bool operator!=(const BulkAllocator<U>&) const { return false; }

private:
    static size_t roundUp(size_t bytes) { return (bytes + 4095) & ~size_t(4095); }
};

}  // namespace engine
