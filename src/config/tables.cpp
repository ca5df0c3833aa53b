// tables.cpp - ownership of the exchange records and of the page table's mutexes.
#include "config/tables.h"

#include <cstring>

namespace zyn::config {

void ExchangeTable::release() {
    for (uint64_t i = 0; i < slots_.count(); ++i) {
        if (slots_[i] != nullptr) platform::releaseMemory(slots_[i]);
        slots_[i] = nullptr;
    }
    slots_.reset();
}

bool ExchangeTable::store(uint64_t position, const ExchangeDef& definition) {
    if (position >= slots_.count()) return false;
    auto* record = static_cast<ExchangeDef*>(platform::allocateZeroed(sizeof(ExchangeDef)));
    if (record == nullptr) return false;
    std::memcpy(record, &definition, sizeof definition);
    if (slots_[position] != nullptr) platform::releaseMemory(slots_[position]);
    slots_[position] = record;
    return true;
}

bool PageTable::allocate(uint64_t count, PageLayout layout, int64_t pageRoom,
                         platform::ObjectNamespace mutexNamespace) {
    reset();
    layout_ = layout;
    mutexNamespace_ = mutexNamespace;
    if (!entries_.allocate(count)) return false;
    pageRoom_ = pageRoom;
    return true;
}

void PageTable::closeMutexes() {
    for (uint64_t i = 0; i < entries_.count(); ++i)
        entries_[i].mutex.reset();
}

void PageTable::reset() {
    closeMutexes();
    entries_.reset();
    pageRoom_ = kPackedPageRoom; // without entries there are no pages to bound
}

bool nameIndexOrder(const NameIndexEntry& a, const NameIndexEntry& b) {
    if (int order = std::strncmp(a.producer, b.producer, sizeof a.producer); order != 0) return order < 0;
    if (a.exchangeId != b.exchangeId) return a.exchangeId < b.exchangeId;
    return a.tablePosition < b.tablePosition;
}

} // namespace zyn::config
