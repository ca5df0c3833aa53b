// find_page.cpp - FindPageIndex: by exchange id in the fixed layout, through the name index in
// the packed layout.
#include "exchange/find_page.h"

#include <algorithm>
#include <cstring>

#include "core/library_state.h"

namespace zyn::exchange {

namespace {
bool sameProducer(const char* a, const char* b) { return std::strncmp(a, b, ZYN_TEXT_FIELD_SIZE) == 0; }
} // namespace

int64_t FindPageIndex(const core::LibraryState& state, const char* producer, int32_t exchangeId) {
    const config::PageTable& pages = state.pageTable;
    if (!pages) return -1;
    if (pages.layout() == config::PageLayout::Fixed) {
        return exchangeId >= 1 && static_cast<uint64_t>(exchangeId) < pages.count() ? exchangeId : -1;
    }
    // The index is sorted by producer only, so the entries of one producer stand together.
    const uint64_t filled = std::min<uint64_t>(state.exchangeCount, state.nameIndex.count());
    uint64_t i = 0;
    while (i < filled && !sameProducer(state.nameIndex[i].producer, producer))
        ++i;
    for (; i < filled && sameProducer(state.nameIndex[i].producer, producer); ++i) {
        if (state.nameIndex[i].exchangeId != exchangeId) continue;
        int64_t position = state.nameIndex[i].tablePosition;
        return position >= 0 && static_cast<uint64_t>(position) < pages.count() ? position : -1;
    }
    return -1;
}

} // namespace zyn::exchange
