// lifecycle.cpp - the load and unload sequences. Loading never fails: whatever could not be
// done shows later as the result codes of the operations that need it.
#include "core/lifecycle.h"

#include <cstring>

#include "config/config_paths.h"
#include "config/ini_file_lock.h"
#include "config/loader.h"
#include "core/library_state.h"
#include "core/service_status.h"
#include "exchange/section_attach.h"

namespace zyn::core {

void processAttach(LibraryState& state) {
    if (state.socketsStarted != 1 && platform::startSockets()) state.socketsStarted = 1;
    std::memset(state.params.multicast, 0, sizeof state.params.multicast);
    if (!platform::isNtFamily()) state.platformIsNt = 0;
    state.configPathValid = config::configFilePath(state.configPath) ? 1 : 0;
    if (state.platformIsNt == 0) return;

    if (isServiceRunning(state) != 0 && exchange::openSectionWithRetries(state)) exchange::mapSection(state);
    config::chooseIniMutex(state);
    if (state.configPathValid == 0) return;

    config::ReadServiceParams(state);
    config::ReloadConfiguration(state, false);
}

void processDetach(LibraryState& state) {
    state.serviceManager.close();
    config::ReleaseExchangeTable(state);
    state.pageTable.reset();
    state.iniMutex.reset();
    state.view.reset();
    state.mappingHandle.reset();
    state.defsText.reset();
    state.nameIndex.reset();
    state.idIndex.entries.reset();
}

} // namespace zyn::core
