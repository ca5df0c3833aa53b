// find_page.cpp - FindPageIndex: by exchange id in the fixed layout, by table position in the
// packed layout.
#include "exchange/find_page.h"

#include <algorithm>

#include "core/library_state.h"

namespace zyn::exchange {

int64_t FindPageIndex(const core::LibraryState& state, const ExchangeDef& record, int64_t position) {
    const config::PageTable& pages = state.pageTable;
    if (!pages) return -1;
    if (pages.layout() == config::PageLayout::Fixed) {
        const int32_t id = record.exchangeId;
        return id >= 1 && static_cast<uint64_t>(id) < pages.count() ? id : -1;
    }
    // The page of a table position is that position. The name index, sorted by producer, id
    // and position, gives for the record's producer and id the first table position that
    // carries them, which is the record the lookup found; so the name is resolved only once.
    // A position the index does not cover has no page.
    const uint64_t indexed = std::min<uint64_t>(state.exchangeCount, state.nameIndex.count());
    return position >= 0 && static_cast<uint64_t>(position) < std::min<uint64_t>(indexed, pages.count()) ? position
                                                                                                         : -1;
}

} // namespace zyn::exchange
