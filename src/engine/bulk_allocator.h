#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <new>

namespace engine {

// Memory for the large arrays of decoded columns, on huge pages where the
// system offers them. A column of a large table is written top to bottom
// right after it is allocated; faulting in its pages 4 KiB at a time costs
// more than decoding it, on a virtual machine most of all. Small arrays come
// from the ordinary heap.
template <class T>
struct BulkAllocator {
    using value_type = T;
    static constexpr size_t kBulkBytes = size_t(1) << 20;
    static constexpr size_t kHugePage = size_t(2) << 20;

    BulkAllocator() = default;
    template <class U>
    BulkAllocator(const BulkAllocator<U>&) {}

    T* allocate(size_t n) {
        const size_t bytes = n * sizeof(T);
        if (bytes < kBulkBytes) return static_cast<T*>(::operator new(bytes));
        // Aligned to a huge page: map one more, give back what is around it.
        const size_t length = roundUp(bytes);
        void* raw = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED) throw std::bad_alloc();
        const uintptr_t start = uintptr_t(raw), aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
        if (aligned > start) ::munmap(raw, aligned - start);
        const uintptr_t end = start + length + kHugePage;
        if (end > aligned + length) ::munmap(reinterpret_cast<void*>(aligned + length), end - aligned - length);
        ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
        return reinterpret_cast<T*>(aligned);
    }

    void deallocate(T* p, size_t n) {
        const size_t bytes = n * sizeof(T);
        if (bytes < kBulkBytes)
            ::operator delete(p);
        else
            ::munmap(p, roundUp(bytes));
    }

    template <class U>
    bool operator==(const BulkAllocator<U>&) const { return true; }
    template <class U>
    bool operator!=(const BulkAllocator<U>&) const { return false; }

private:
    static size_t roundUp(size_t bytes) { return (bytes + 4095) & ~size_t(4095); }
};

}  // namespace engine
