// tables.h - the in-memory forms of zyn.ini: the exchange table, the page table and the name index.
#pragma once

#include <cstdint>
#include <utility>

#include "config/page_layout.h"
#include "platform/heap_array.h"
#include "platform/named_objects.h"
#include "platform/scoped_handle.h"
#include "trvzyn32.h"

namespace zyn::config {

// One slot per possible record, in definition-line order; the slots after the last record stay
// null. Owns its records.
class ExchangeTable {
public:
    ExchangeTable() = default;
    ExchangeTable(ExchangeTable&&) noexcept = default;
    ExchangeTable& operator=(ExchangeTable&& other) noexcept {
        if (this != &other) {
            release();
            slots_ = std::move(other.slots_);
        }
        return *this;
    }
    ~ExchangeTable() { release(); }

    bool allocate(uint64_t slots) {
        release();
        return slots_.allocate(slots);
    }
    static bool fits(uint64_t slots) { return platform::HeapArray<ExchangeDef*>::fits(slots); }
    // Frees every record and the slots.
    void release();
    explicit operator bool() const { return static_cast<bool>(slots_); }
    uint64_t slotCount() const { return slots_.count(); }
    ExchangeDef* record(uint64_t position) const { return position < slots_.count() ? slots_[position] : nullptr; }
    // Stores a copy of `definition` in slot `position`; false when its memory cannot be had.
    bool store(uint64_t position, const ExchangeDef& definition);

private:
    platform::HeapArray<ExchangeDef*> slots_;
};

// Where one page lies, as offsets into the view of "ZYN_MAP_1", and the mutex that guards it.
// Offsets rather than addresses: the table stays meaningful, and checkable, for whatever view
// is mapped when a page is used.
struct PageEntry {
    int64_t pageOffset = 0;
    int64_t statusOffset = 0;
    platform::KernelHandle mutex; // empty when the page has none
};

class PageTable {
public:
    PageTable() = default;
    PageTable(const PageTable&) = delete;
    PageTable& operator=(const PageTable&) = delete;
    PageTable(PageTable&& other) noexcept
        : entries_(std::move(other.entries_)), layout_(other.layout_), mutexNamespace_(other.mutexNamespace_),
          pageRoom_(other.pageRoom_) {}
    PageTable& operator=(PageTable&& other) noexcept {
        if (this != &other) {
            reset();
            entries_ = std::move(other.entries_);
            layout_ = other.layout_;
            mutexNamespace_ = other.mutexNamespace_;
            pageRoom_ = other.pageRoom_;
        }
        return *this;
    }
    ~PageTable() { reset(); }

    // Empties the table and gives it `count` zeroed entries built for `layout`, whose pages hold
    // at most `pageRoom` data bytes each, with mutexes from the namespace `mutexNamespace`
    // stands for.
    bool allocate(uint64_t count, PageLayout layout, int64_t pageRoom, platform::ObjectNamespace mutexNamespace);
    // Closes every mutex of the table exactly once; the entries stay.
    void closeMutexes();
    void reset();

    explicit operator bool() const { return static_cast<bool>(entries_); }
    PageLayout layout() const { return layout_; }
    // The data bytes a page of this table has room for, as the layout it was built with gives it.
    int64_t pageRoom() const { return pageRoom_; }
    platform::ObjectNamespace mutexNamespace() const { return mutexNamespace_; }
    uint64_t count() const { return entries_.count(); }
    PageEntry& operator[](uint64_t i) const { return entries_[i]; }
    // The entry at `index`, or null when the table as built has none there.
    PageEntry* find(int64_t index) const {
        return index >= 0 && static_cast<uint64_t>(index) < entries_.count() ? &entries_[index] : nullptr;
    }

private:
    platform::HeapArray<PageEntry> entries_;
    PageLayout layout_ = PageLayout::Fixed;
    platform::ObjectNamespace mutexNamespace_ = platform::ObjectNamespace::None;
    int64_t pageRoom_ = kPackedPageRoom;
};

struct NameIndexEntry {
    char producer[ZYN_TEXT_FIELD_SIZE];
    int32_t exchangeId;
    int32_t tablePosition;
};
static_assert(sizeof(NameIndexEntry) == 40);

// The order of the name index: by producer, so that the entries of one producer stand together,
// then by exchange id and table position, so that a binary search finds the first record in
// table order that carries a producer and an id.
bool nameIndexOrder(const NameIndexEntry& a, const NameIndexEntry& b);

using NameIndex = platform::HeapArray<NameIndexEntry>;

// The exchange table's positions by exchange id, sorted by id then position: a lookup by name
// costs the same for the first record and the last.
struct IdIndexEntry {
    int32_t exchangeId;
    int32_t tablePosition;
};
inline bool idIndexOrder(const IdIndexEntry& a, const IdIndexEntry& b) {
    return a.exchangeId != b.exchangeId ? a.exchangeId < b.exchangeId : a.tablePosition < b.tablePosition;
}

struct IdIndex {
    platform::HeapArray<IdIndexEntry> entries; // grows, never shrinks, between loads
    uint64_t filled = 0;                       // 0 while it does not answer for the table
};

} // namespace zyn::config
