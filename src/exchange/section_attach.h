// section_attach.h - attaching this process to the service's section "ZYN_MAP_1": at load, after
// the service was started through the library, and on demand when a data call finds the service
// running but nothing attached.
#pragma once

#include <cstdint>

#include "core/library_state_fwd.h"
#include "platform/named_objects.h"
#include "platform/scoped_handle.h"

namespace zyn::exchange {

constexpr int kAttachAttempts = 46;
constexpr uint32_t kAttachPollMilliseconds = 1000;

// The section as one opening found it: its handle (empty when not found) and its namespace.
struct OpenedSection {
    platform::KernelHandle handle;
    platform::ObjectNamespace where = platform::ObjectNamespace::None;
};

// One attempt on the plain name, then on "Global\", without pausing.
OpenedSection openSection();

// Up to 46 attempts; each that does not find the section is followed by a one-second pause, so
// that a section the service creates a little later is still found. It touches no state, so it
// runs outside the state lock.
OpenedSection openSectionWithRetries();

// Whether this process is attached: a view of the section is mapped. Read under the state lock,
// shared or exclusive, as holdsSection is.
bool isAttached(const core::LibraryState& state);

// Whether a mapping handle is held: then no section needs to be opened, only a view mapped
// through it when there is none.
bool holdsSection(const core::LibraryState& state);

// Takes `opened` as the mapping handle unless one is held already (which stays in use), and maps
// the whole section through the handle unless a view is mapped already. True when a mapping
// handle is held afterwards (the mapping itself may have failed). Under the exclusive state lock.
// A view is never mapped without a handle held: this and detachSection keep it so.
bool attachSection(core::LibraryState& state, OpenedSection opened);

// Lets go of the view and the section: the service that owned them is gone. Under the exclusive
// state lock.
void detachSection(core::LibraryState& state);

} // namespace zyn::exchange
