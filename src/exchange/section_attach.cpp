// section_attach.cpp - opening and mapping the section.
#include "exchange/section_attach.h"

#include <utility>

#include "config/page_layout.h"
#include "core/library_state.h"

namespace zyn::exchange {

OpenedSection openSection() {
    OpenedSection opened;
    opened.handle.reset(platform::openSectionWhereItIs(config::kSectionName, opened.where));
    return opened;
}

OpenedSection openSectionWithRetries() {
    for (int attempt = 0; attempt < kAttachAttempts; ++attempt) {
        OpenedSection opened = openSection();
        if (opened.handle) return opened;
        platform::sleepMilliseconds(kAttachPollMilliseconds);
    }
    return {};
}

bool isAttached(const core::LibraryState& state) { return state.view.address() != nullptr; }

bool holdsSection(const core::LibraryState& state) { return static_cast<bool>(state.mappingHandle); }

bool attachSection(core::LibraryState& state, OpenedSection opened) {
    if (!state.mappingHandle && opened.handle) {
        state.mappingHandle = std::move(opened.handle);
        state.sectionNamespace = opened.where;
    }
    if (!state.mappingHandle) return false;
    // A mapped view stays where it is, so the page addresses handed out from it stay valid; the
    // page table holds offsets, which fit any view of the section.
    if (!isAttached(state)) state.view = platform::ScopedView(platform::mapWholeSection(state.mappingHandle.get()));
    return true;
}

// sectionNamespace stays: the next start of the same service puts its section there again.
void detachSection(core::LibraryState& state) {
    state.mappingHandle.reset();
    state.view.reset();
}

} // namespace zyn::exchange
