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
    ExchangeTable(ExchangeTable&& other) noexcept
        : slots_(std::move(other.slots_)), stored_(std::exchange(other.stored_, 0)) {}
    ExchangeTable& operator=(ExchangeTable&& other) noexcept {
        if (this != &other) {
            release();
            slots_ = std::move(other.slots_);
            stored_ = std::exchange(other.stored_, 0);
        }
        return *this;
    }
    ~ExchangeTable() { release(); }

    bool allocate(uint64_t slots) {
        release();
        return slots_.allocate(slots);
    }
    // Frees every record and the slots.
    void release();
    explicit operator bool() const { return static_cast<bool>(slots_); }
    uint64_t slotCount() const { return slots_.count(); }
    ExchangeDef* record(uint64_t position) const { return position < slots_.count() ? slots_[position] : nullptr; }
    // Stores a copy of `definition` in slot `position`; false when its memory cannot be had.
    bool store(uint64_t position, const ExchangeDef& definition);

private:
    platform::HeapArray<ExchangeDef*> slots_;
    uint64_t stored_ = 0; // the slots from here on were never stored into: a release passes them by
};

// Where one page lies, as offsets into the view of "ZYN_MAP_1", and the mutex that guards it.
// Offsets rather than addresses: the table stays meaningful, and checkable, for whatever view
// is mapped when a page is used.
struct PageEntry {
    int64_t number = 0; // of the page in its layout, and of its mutex "ZYN_MAP_1-<number>"
    int64_t pageOffset = 0;
    int64_t statusOffset = 0;
    platform::KernelHandle mutex; // empty when the page has none
};
// The tables' budget counts two entries a definition at this size, on both pointer sizes.
constexpr uint64_t kPageEntryBudgetBytes = 32;
static_assert(sizeof(PageEntry) <= kPageEntryBudgetBytes);

// The pages of a layout and the entries of the pages that records use, in ascending order of
// their numbers: the fixed layout spans MAX_STATIC_EXCHANGES pages, but a load costs what the
// file defines.
class PageTable {
public:
    PageTable() = default;
    PageTable(const PageTable&) = delete;
    PageTable& operator=(const PageTable&) = delete;
    PageTable(PageTable&& other) noexcept
        : entries_(std::move(other.entries_)), used_(std::exchange(other.used_, 0)),
          pages_(std::exchange(other.pages_, 0)), layout_(other.layout_), mutexNamespace_(other.mutexNamespace_),
          pageRoom_(other.pageRoom_) {}
    PageTable& operator=(PageTable&& other) noexcept {
        if (this != &other) {
            reset();
            entries_ = std::move(other.entries_);
            used_ = std::exchange(other.used_, 0);
            pages_ = std::exchange(other.pages_, 0);
            layout_ = other.layout_;
            mutexNamespace_ = other.mutexNamespace_;
            pageRoom_ = other.pageRoom_;
        }
        return *this;
    }
    ~PageTable() { reset(); }

    // Empties the table and prepares it for `pages` pages built for `layout`, whose pages hold at
    // most `pageRoom` data bytes each, with mutexes from the namespace `mutexNamespace` stands
    // for, and with room for `entries` entries. False when that room cannot be had.
    bool allocate(uint64_t pages, uint64_t entries, PageLayout layout, int64_t pageRoom,
                  platform::ObjectNamespace mutexNamespace);
    // The entry for page `number` at the end, or null when the room is full. Entries are added in
    // ascending order of their numbers, or put in order once by sortByNumber.
    PageEntry* add(int64_t number);
    // Orders the entries by number and keeps one entry a page. Before any mutex is attached.
    void sortByNumber();
    // Closes every mutex of the table exactly once; the entries stay.
    void closeMutexes();
    void reset();

    explicit operator bool() const { return static_cast<bool>(entries_); }
    PageLayout layout() const { return layout_; }
    // The data bytes a page of this table has room for, as the layout it was built with gives it.
    int64_t pageRoom() const { return pageRoom_; }
    platform::ObjectNamespace mutexNamespace() const { return mutexNamespace_; }
    // The pages the table spans (page indexes 0 to count - 1); only those in use have entries.
    uint64_t count() const { return pages_; }
    uint64_t entryCount() const { return used_; }
    PageEntry& entryAt(uint64_t i) const { return entries_[i]; }
    // The entry of page `index`, or null when the table as built has none there.
    PageEntry* find(int64_t index) const;

private:
    platform::HeapArray<PageEntry> entries_;
    uint64_t used_ = 0;
    uint64_t pages_ = 0;
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
