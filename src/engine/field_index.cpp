#include "engine/field_index.h"

#include "engine/bit_mix.h"

namespace engine {

size_t FieldIndex::find(uint64_t key) const {
    const size_t mask = slots_.size() - 1;
    size_t i = size_t(mixBits(key)) & mask;
    while (slots_[i].tail != kFree && slots_[i].key != key) i = (i + 1) & mask;
    return i;
}

void FieldIndex::grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    size_t live = 0;
    for (const Slot& s : old) live += s.head != kNone;
    size_t capacity = 16;
    while (capacity < (live + 1) * 2) capacity *= 2;
    slots_.assign(capacity, Slot());
    used_ = 0;
    for (const Slot& s : old) {
        if (s.head == kNone) continue;  // keys whose records are all gone are dropped here
        slots_[find(s.key)] = s;
        ++used_;
    }
}

void FieldIndex::reserve(size_t records) {
    next_.reserve(records);
    prev_.reserve(records);
}

void FieldIndex::insert(uint64_t key, uint32_t record) {
    if (record >= next_.size()) {
        next_.resize(record + 1, kNone);
        prev_.resize(record + 1, kNone);
    }
    if ((used_ + 1) * 10 > slots_.size() * 7) grow();
    Slot& s = slots_[find(key)];
    if (s.tail == kFree) {
        s.key = key;
        s.tail = kNone;
        ++used_;
    }
    next_[record] = kNone;
    prev_[record] = s.tail;
    if (s.tail == kNone)
        s.head = record;
    else
        next_[s.tail] = record;
    s.tail = record;
}

void FieldIndex::erase(uint64_t key, uint32_t record) {
    if (slots_.empty()) return;
    Slot& s = slots_[find(key)];
    if (s.tail == kFree || record >= next_.size()) return;
    const uint32_t before = prev_[record], after = next_[record];
    if (before == kNone && s.head != record) return;  // not under this key
    if (before == kNone)
        s.head = after;
    else
        next_[before] = after;
    if (after == kNone)
        s.tail = before;
    else
        prev_[after] = before;
    next_[record] = prev_[record] = kNone;
}

void FieldIndex::collect(uint64_t key, std::vector<uint32_t>& out) const {
    if (slots_.empty()) return;
    const Slot& s = slots_[find(key)];
    if (s.tail == kFree) return;
    for (uint32_t r = s.head; r != kNone; r = next_[r]) out.push_back(r);
}

}  // namespace engine
