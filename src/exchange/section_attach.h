// section_attach.h - attaching this process to the service's section "ZYN_MAP_1", at load and
// again after the service was started through the library.
#pragma once

#include <cstdint>

#include "core/library_state_fwd.h"

namespace zyn::exchange {

constexpr int kAttachAttempts = 46;
constexpr uint32_t kAttachPollMilliseconds = 1000;

// Opens "ZYN_MAP_1" when no mapping handle is held: up to 46 attempts, each followed by a
// one-second pause (the successful one too), each trying the plain name, then "Global". True
// when a mapping handle is held afterwards; sectionNamespace says where it was found.
bool openSectionWithRetries(core::LibraryState& state);

// Maps the whole opened section in place of the view held so far, which is released first.
void mapSection(core::LibraryState& state);

// Lets go of the view and the section: the service that owned them is gone.
void detachSection(core::LibraryState& state);

} // namespace zyn::exchange
