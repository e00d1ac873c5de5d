#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace engine {

// A hash index of one field: key -> the records holding it. Keys are 64-bit
// (a number's units, a date's day, a text's hash); the caller checks the
// cells of the records it gets back, so two texts of the same hash do no
// harm. Records of a key are chained both ways, so adding and taking out a
// record cost O(1) whatever the number of records sharing its key.
class FieldIndex {
public:
    void reserve(size_t records);
    void insert(uint64_t key, uint32_t record);
    void erase(uint64_t key, uint32_t record);
    // Appends the records of `key` to `out`, in no particular order.
    void collect(uint64_t key, std::vector<uint32_t>& out) const;

private:
    static constexpr uint32_t kNone = 0xFFFFFFFF;
    static constexpr uint32_t kFree = 0xFFFFFFFE;  // tail of a slot never used
    struct Slot {
        uint64_t key = 0;
        uint32_t head = kNone;
        uint32_t tail = kFree;
    };

    size_t find(uint64_t key) const;  // the slot of key, or the free slot where it would go
    void grow();

    std::vector<Slot> slots_;
    size_t used_ = 0;  // slots holding a key, even one whose records are all gone
    std::vector<uint32_t> next_;
    std::vector<uint32_t> prev_;
};

}  // namespace engine
