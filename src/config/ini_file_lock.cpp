// ini_file_lock.cpp - which "__ZYN_INIFILE" this process locks.
#include "config/ini_file_lock.h"

#include "config/page_layout.h"
#include "core/library_state.h"
#include "platform/named_objects.h"

namespace zyn::config {

void chooseIniMutex(core::LibraryState& state) {
    // The handle held so far goes first: kept open, it would be the "existing" mutex found.
    state.iniMutex.reset();
    state.iniMutex.reset(platform::openServiceMutex(kIniMutexName, state.sectionNamespace, state.iniMutexNamespace));
    state.iniMutexChosenFor = state.sectionNamespace;
}

void rechooseIniMutexIfMoved(core::LibraryState& state) {
    using platform::ObjectNamespace;
    // The rule tells only a section under "Global" from every other case.
    const bool globalNow = state.sectionNamespace == ObjectNamespace::Global;
    if (globalNow != (state.iniMutexChosenFor == ObjectNamespace::Global)) chooseIniMutex(state);
}

} // namespace zyn::config
