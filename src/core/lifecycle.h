// lifecycle.h - what happens when a process loads and unloads the library.
#pragma once

#include "core/library_state_fwd.h"

namespace zyn::core {

void processAttach(LibraryState& state);
void processDetach(LibraryState& state);

} // namespace zyn::core
