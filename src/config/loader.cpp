// loader.cpp - ReadServiceParams, ReadExchangeDefsText, ParseExchangeDefs and the reload sequence.
#include "config/loader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "config/definition_line.h"
#include "config/header_keys.h"
#include "config/ini_file_lock.h"
#include "config/page_table.h"
#include "config/table_budget.h"
#include "core/library_state.h"

namespace zyn::config {

uint64_t exchangeSlotsFor(int32_t maxStaticExchanges) {
    return static_cast<uint64_t>(maxStaticExchanges < 0 ? 0 : maxStaticExchanges) + 1;
}

uint64_t defsTextSizeFor(int32_t maxStaticExchanges) { return exchangeSlotsFor(maxStaticExchanges) * kLinePieceSize; }

void ReadServiceParams(core::LibraryState& state) {
    state.params.resetToDefaults();
    IniFileLock lock(state.iniMutex.get());
    platform::File file(platform::openFile(state.configPath, "r"));
    if (!file) return;
    char piece[kLinePieceSize];
    while (platform::readPiece(file.get(), piece, sizeof piece)) {
        if (applyHeaderLine(state.params, piece) == HeaderLine::EndOfHeader) break;
    }
}

uint32_t ReadExchangeDefsText(core::LibraryState& state, char* buffer, uint64_t bufferSize, const char* path) {
    IniFileLock lock(state.iniMutex.get());
    platform::File file(platform::openFile(path, "r"));
    if (!file) return 0;
    char piece[kLinePieceSize];
    bool markerSeen = false;
    while (!markerSeen && platform::readPiece(file.get(), piece, sizeof piece)) {
        markerSeen = std::strstr(piece, kDefinitionsMarker.data()) != nullptr;
    }
    // The text with its separators stays within bufferSize - 2 bytes, so that its two closing
    // zeros both lie inside the buffer, and within what its 32-bit count can say: a 64-bit
    // process can be given a buffer of more than 4 GiB.
    const uint64_t limit = std::min<uint64_t>(bufferSize >= 2 ? bufferSize - 2 : 0, UINT32_MAX);
    uint64_t used = 0;
    while (markerSeen && platform::readPiece(file.get(), piece, sizeof piece)) {
        if (classifyDefinitionLine(piece) != DefinitionLineKind::Counted) continue;
        size_t length = std::strcspn(piece, "\n");
        if (used + length + 1 > limit) break;
        std::memcpy(buffer + used, piece, length);
        buffer[used + length] = piece[length]; // the newline, or 0 for a piece without one
        used += length + 1;
    }
    for (uint64_t end = used; end < used + 2 && end < bufferSize; ++end)
        buffer[end] = '\0';
    return static_cast<uint32_t>(used);
}

int32_t ParseExchangeDefs(core::LibraryState& state) {
    state.idIndex.filled = 0; // until the index is built for the new table
    const char* text = state.defsText.data();
    uint64_t count = 0;
    const uint64_t keep =
        state.params.maxStaticExchanges < 0 ? 0 : static_cast<uint64_t>(state.params.maxStaticExchanges);
    // The last slot of the table always stays empty.
    const uint64_t capacity = state.exchangeTable.slotCount() == 0 ? 0 : state.exchangeTable.slotCount() - 1;
    const DefinitionLimits limits{state.params.maxStaticExchanges, state.params.maxExchangeSize};
    uint64_t position = 0;
    while (text != nullptr && position < state.defsTextLength && text[position] != '\0') {
        const char* line = text + position;
        size_t length = std::strcspn(line, "\n");
        position += length + 1;
        ExchangeDef record;
        if (classifyDefinitionLine({line, length}) != DefinitionLineKind::Counted ||
            !parseDefinitionLine({line, length}, limits, record)) {
            continue;
        }
        if (count >= keep || count >= capacity) continue;
        if (state.exchangeTable.store(count, record)) ++count; // a record without memory is dropped
    }
    state.exchangeCount = static_cast<uint32_t>(count);
    return 1;
}

void ReleaseExchangeTable(core::LibraryState& state) {
    if (!state.exchangeTable) return;
    state.idIndex.filled = 0;
    // Every mutex the page table holds belongs to a record of this table.
    state.pageTable.closeMutexes();
    state.exchangeTable.release();
}

namespace {

// Without the memory for it the lookups scan the table instead, with the same answers.
void buildIdIndex(core::LibraryState& state) {
    IdIndex& index = state.idIndex;
    index.filled = 0;
    if (index.entries.count() < state.exchangeCount && !index.entries.allocate(state.exchangeCount)) return;
    for (uint32_t i = 0; i < state.exchangeCount; ++i)
        index.entries[i] = {state.exchangeTable.record(i)->exchangeId, static_cast<int32_t>(i)};
    std::sort(index.entries.data(), index.entries.data() + state.exchangeCount, idIndexOrder);
    index.filled = state.exchangeCount;
}

// A new exchange table and definitions text, built beside the ones in use until the reload
// can no longer fail.
struct NewTables {
    ExchangeTable table;
    platform::HeapArray<char> text;
};

// The exchange table and the definitions text for the limit the state holds. A limit whose
// tables could pass the budget fails before anything is allocated: a hostile header then costs
// neither time nor memory.
bool allocateTables(const core::LibraryState& state, NewTables& fresh) {
    const int32_t maxStatic = state.params.maxStaticExchanges;
    return maxStatic <= kMaxLoadableStaticExchanges && fresh.table.allocate(exchangeSlotsFor(maxStatic)) &&
           fresh.text.allocate(defsTextSizeFor(maxStatic));
}

} // namespace

int32_t ReloadConfiguration(core::LibraryState& state, bool emptyTextIsError, FailedReload onFailure) {
    rechooseIniMutexIfMoved(state);
    // The mutexes go to the rebuilt page table; a reload that releases the tables on failure
    // closes them all and leaves the old entries, as a release of the exchange table does.
    PageTable previous = std::move(state.pageTable);
    const auto fail = [&](int32_t result) {
        if (onFailure == FailedReload::ReleasesTables) previous.closeMutexes();
        state.pageTable = std::move(previous);
        return result;
    };
    if (onFailure == FailedReload::ReleasesTables) {
        // The old tables go before the new ones are allocated: never both at once.
        ReleaseExchangeTable(state);
        state.defsText.reset();
        state.loaded = 0;
    }
    NewTables fresh;
    if (!allocateTables(state, fresh)) return fail(ZYN_E_FAILED);
    const uint32_t length = ReadExchangeDefsText(state, fresh.text.data(), fresh.text.count(), state.configPath);
    if (emptyTextIsError && length == 0) return fail(ZYN_E_NO_DEFINITIONS);

    // From here on the reload cannot fail: the new tables take the place of the old.
    ReleaseExchangeTable(state);
    state.exchangeTable = std::move(fresh.table);
    state.defsText = std::move(fresh.text);
    state.defsTextLength = length;
    state.loaded = ParseExchangeDefs(state);
    RebuildPageTable(state, std::move(previous));
    buildIdIndex(state);
    return ZYN_OK;
}

} // namespace zyn::config
