// section_attach.cpp - opening and mapping the section.
#include "exchange/section_attach.h"

#include "config/page_layout.h"
#include "core/library_state.h"

namespace zyn::exchange {

bool openSectionWithRetries(core::LibraryState& state) {
    for (int attempt = 0; !state.mappingHandle && attempt < kAttachAttempts; ++attempt) {
        state.mappingHandle.reset(platform::openSectionWhereItIs(config::kSectionName, state.sectionNamespace));
        platform::sleepMilliseconds(kAttachPollMilliseconds);
    }
    return static_cast<bool>(state.mappingHandle);
}

void mapSection(core::LibraryState& state) {
    // The old view is released exactly once before the new one takes its place; the page table
    // holds offsets, so it never points into a view that is gone.
    state.view.reset();
    state.view = platform::ScopedView(platform::mapWholeSection(state.mappingHandle.get()));
}

// sectionNamespace stays: the next start of the same service puts its section there again.
void detachSection(core::LibraryState& state) {
    state.mappingHandle.reset();
    state.view.reset();
}

} // namespace zyn::exchange
