// library_state_fwd.h - the name of the library's one state record, for the headers of the
// subsystems that take it by reference.
#pragma once

namespace zyn::core {
struct LibraryState;
}
