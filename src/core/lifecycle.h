// lifecycle.h - when the library's state is filled and when it is released.
#pragma once

#include "core/library_state_fwd.h"

namespace zyn::core {

// Runs the load sequence on the state unless it has run already, on the calling thread; a thread
// that calls while another runs it waits until it has run. Every export that needs the state
// calls it first.
void startOnce(LibraryState& state);

// The unload sequence, when the library is freed while the process goes on.
void processDetach(LibraryState& state);

} // namespace zyn::core
