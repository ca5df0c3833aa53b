// tables.cpp - ownership of the exchange records and of the page table's mutexes.
#include "config/tables.h"

#include <algorithm>
#include <cstring>

namespace zyn::config {

void ExchangeTable::release() {
    for (uint64_t i = 0; i < stored_; ++i) {
        if (slots_[i] != nullptr) platform::releaseMemory(slots_[i]);
        slots_[i] = nullptr;
    }
    stored_ = 0;
    slots_.reset();
}

bool ExchangeTable::store(uint64_t position, const ExchangeDef& definition) {
    if (position >= slots_.count()) return false;
    auto* record = static_cast<ExchangeDef*>(platform::allocateZeroed(sizeof(ExchangeDef)));
    if (record == nullptr) return false;
    std::memcpy(record, &definition, sizeof definition);
    if (slots_[position] != nullptr) platform::releaseMemory(slots_[position]);
    slots_[position] = record;
    stored_ = std::max(stored_, position + 1);
    return true;
}

bool PageTable::allocate(uint64_t pages, uint64_t entries, PageLayout layout, int64_t pageRoom,
                         platform::ObjectNamespace mutexNamespace) {
    reset();
    layout_ = layout;
    mutexNamespace_ = mutexNamespace;
    if (!entries_.allocate(entries)) return false;
    pages_ = pages;
    pageRoom_ = pageRoom;
    return true;
}

PageEntry* PageTable::add(int64_t number) {
    if (used_ >= entries_.count()) return nullptr;
    PageEntry& entry = entries_[used_++];
    entry.number = number;
    return &entry;
}

void PageTable::sortByNumber() {
    PageEntry* begin = entries_.data();
    if (begin == nullptr) return;
    const auto byNumber = [](const PageEntry& a, const PageEntry& b) { return a.number < b.number; };
    const auto samePage = [](const PageEntry& a, const PageEntry& b) { return a.number == b.number; };
    std::sort(begin, begin + used_, byNumber);
    used_ = static_cast<uint64_t>(std::unique(begin, begin + used_, samePage) - begin);
}

PageEntry* PageTable::find(int64_t index) const {
    if (index < 0 || static_cast<uint64_t>(index) >= pages_) return nullptr;
    PageEntry* begin = entries_.data();
    PageEntry* end = begin + used_;
    // A table with an entry for every page (the packed layout) holds each at its own index.
    if (static_cast<uint64_t>(index) < used_ && begin[index].number == index) return begin + index;
    PageEntry* at = std::lower_bound(begin, end, index,
                                     [](const PageEntry& entry, int64_t number) { return entry.number < number; });
    return at != end && at->number == index ? at : nullptr;
}

void PageTable::closeMutexes() {
    for (uint64_t i = 0; i < used_; ++i)
        entries_[i].mutex.reset();
}

void PageTable::reset() {
    closeMutexes();
    entries_.reset();
    used_ = 0;
    pages_ = 0;
    pageRoom_ = kPackedPageRoom; // without entries there are no pages to bound
}

bool nameIndexOrder(const NameIndexEntry& a, const NameIndexEntry& b) {
    if (int order = std::strncmp(a.producer, b.producer, sizeof a.producer); order != 0) return order < 0;
    if (a.exchangeId != b.exchangeId) return a.exchangeId < b.exchangeId;
    return a.tablePosition < b.tablePosition;
}

} // namespace zyn::config
