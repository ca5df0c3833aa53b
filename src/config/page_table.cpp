// page_table.cpp - BuildPageTable and SortNameIndex: where every exchange's page lies in the
// section and which mutex guards it.
#include "config/page_table.h"

#include <algorithm>
#include <cstring>

#include "config/loader.h"
#include "core/library_state.h"

namespace zyn::config {

namespace {

// Where the pages' mutexes come from: the table built before, whose entry n holds the mutex
// "ZYN_MAP_1-n" in either layout, when it was built for the same namespace; else the system.
// So a rebuild opens only the mutexes that are new and closes, with the old table, those that
// are gone.
// The mutex rule tells only a section under "Global\" from every other case.
bool sameRule(platform::ObjectNamespace a, platform::ObjectNamespace b) {
    return (a == platform::ObjectNamespace::Global) == (b == platform::ObjectNamespace::Global);
}

class MutexSource {
public:
    MutexSource(const core::LibraryState& state, PageTable& previous)
        : state_(state), previous_(sameRule(previous.mutexNamespace(), state.sectionNamespace) ? &previous : nullptr) {
        // Kept open, the old mutexes would be the "existing" ones the new namespace's rule finds.
        if (previous_ == nullptr) previous.closeMutexes();
    }

    // Gives the entry its mutex unless it has one: of two records on one page, the first
    // record's handle is kept and no second handle is opened.
    void attach(PageEntry& entry, int32_t number) {
        if (entry.mutex) return;
        if (PageEntry* old = previous_ != nullptr ? previous_->find(number) : nullptr; old != nullptr && old->mutex) {
            entry.mutex = std::move(old->mutex);
            return;
        }
        entry.mutex.reset(open(number));
    }

private:
    // The service's mutex of that number where the service keeps it; null when none can be
    // had, and the page then has no mutex.
    platform::Handle open(int32_t number) const {
        char name[kMutexNameSize];
        formatExchangeMutexName(name, number);
        platform::ObjectNamespace found;
        return platform::openServiceMutex(name, state_.sectionNamespace, found);
    }

    const core::LibraryState& state_;
    PageTable* previous_;
};

void buildFixedLayout(core::LibraryState& state, MutexSource& mutexes) {
    const int32_t maxExchangeSize = state.params.maxExchangeSize;
    const uint64_t pages = exchangeSlotsFor(state.params.maxStaticExchanges);
    PageTable& table = state.pageTable;
    // The pages that records reach get entries: the page of each exchange number, which keeps
    // its mutex, and the page of each exchange id, which data access addresses.
    if (!table.allocate(pages, 2 * uint64_t{state.exchangeCount}, PageLayout::Fixed, fixedPageRoom(maxExchangeSize),
                        state.sectionNamespace)) {
        return;
    }
    // A record checked against an older, larger limit can lie beyond the table the new header
    // gives: it gets no entry and no mutex, and so no data access.
    const auto inTable = [&](int32_t page) { return page > 0 && static_cast<uint64_t>(page) < pages; };
    for (uint32_t i = 0; i < state.exchangeCount; ++i) {
        const ExchangeDef* record = state.exchangeTable.record(i);
        if (record == nullptr) continue;
        if (inTable(record->exchangeNumber)) table.add(record->exchangeNumber);
        if (record->exchangeId != record->exchangeNumber && inTable(record->exchangeId)) table.add(record->exchangeId);
    }
    table.sortByNumber();
    for (uint64_t i = 0; i < table.entryCount(); ++i) {
        PageEntry& entry = table.entryAt(i);
        entry.pageOffset = fixedPageOffset(entry.number, maxExchangeSize);
        entry.statusOffset = fixedStatusOffset(entry.number);
    }
    for (uint32_t i = 0; i < state.exchangeCount; ++i) {
        const ExchangeDef* record = state.exchangeTable.record(i);
        if (record == nullptr || (record->flags & ZYN_FLAG_MUTEX) == 0) continue;
        if (PageEntry* entry = table.find(record->exchangeNumber); entry != nullptr && record->exchangeNumber > 0) {
            mutexes.attach(*entry, record->exchangeNumber);
        }
        // Data access addresses the page of the exchange id; that page is guarded by its own
        // mutex even when no record carries its number.
        if (PageEntry* entry = table.find(record->exchangeId);
            entry != nullptr && record->exchangeId > 0 && record->exchangeId != record->exchangeNumber) {
            mutexes.attach(*entry, record->exchangeId);
        }
    }
}

void buildPackedLayout(core::LibraryState& state, MutexSource& mutexes) {
    const uint32_t count = state.exchangeCount;
    if (!state.pageTable.allocate(count, count, PageLayout::Packed, kPackedPageRoom, state.sectionNamespace)) return;
    // The name index holds one entry per record; it grows when more records come in.
    if (state.nameIndex.count() < count) state.nameIndex.allocate(count);
    int64_t offset = packedFirstPageOffset(state.params.maxStaticExchanges, state.params.maxDynamicExchanges);
    for (uint32_t i = 0; i < count; ++i) {
        PageEntry& entry = *state.pageTable.add(i);
        const ExchangeDef* record = state.exchangeTable.record(i);
        if (record == nullptr) continue;
        entry.pageOffset = offset;
        entry.statusOffset = i;
        offset += packedPageLength(record->size);
        if (i < state.nameIndex.count()) {
            NameIndexEntry& indexEntry = state.nameIndex[i];
            std::memcpy(indexEntry.producer, record->producer, sizeof indexEntry.producer);
            indexEntry.exchangeId = record->exchangeId;
            indexEntry.tablePosition = static_cast<int32_t>(i);
        }
        if ((record->flags & ZYN_FLAG_MUTEX) != 0) mutexes.attach(entry, static_cast<int32_t>(i));
    }
    SortNameIndex(state);
}

} // namespace

void BuildPageTable(core::LibraryState& state) { RebuildPageTable(state, std::move(state.pageTable)); }

void RebuildPageTable(core::LibraryState& state, PageTable&& previous) {
    PageTable old = std::move(previous);
    ReadServiceParams(state);
    MutexSource mutexes(state, old);
    if (layoutFor(state.params.exchMap) == PageLayout::Fixed) {
        buildFixedLayout(state, mutexes);
    } else {
        buildPackedLayout(state, mutexes);
    }
}

void SortNameIndex(core::LibraryState& state) {
    const uint64_t filled = std::min<uint64_t>(state.exchangeCount, state.nameIndex.count());
    NameIndexEntry* begin = state.nameIndex.data();
    if (begin == nullptr) return;
    std::sort(begin, begin + filled, nameIndexOrder);
}

} // namespace zyn::config
