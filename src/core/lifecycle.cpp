// lifecycle.cpp - the load and unload sequences. Loading never fails: whatever could not be
// done shows later as the result codes of the operations that need it. The load runs at the
// first call that needs the state, not when the system loads the library: it talks to the
// Service Control Manager, opens files and named objects and may pause, none of which may
// happen under the system's loader lock.
#include "core/lifecycle.h"

#include <cstring>

#include "config/config_paths.h"
#include "config/ini_file_lock.h"
#include "config/loader.h"
#include "core/library_state.h"
#include "core/service_status.h"
#include "exchange/section_attach.h"

namespace zyn::core {

namespace {

void runLoadSequence(void* context) {
    LibraryState& state = *static_cast<LibraryState*>(context);
    if (state.socketsStarted != 1 && platform::startSockets()) state.socketsStarted = 1;
    std::memset(state.params.multicast, 0, sizeof state.params.multicast);
    if (!platform::isNtFamily()) state.platformIsNt = 0;
    state.configPathValid = config::configFilePath(state.configPath) ? 1 : 0;
    if (state.platformIsNt == 0) return;

    if (isServiceRunning(state) != 0) exchange::attachSection(state, exchange::openSectionWithRetries());
    config::chooseIniMutex(state);
    if (state.configPathValid == 0) return;

    config::ReadServiceParams(state);
    config::ReloadConfiguration(state, false);
}

} // namespace

void startOnce(LibraryState& state) { state.loadOnce.run(runLoadSequence, &state); }

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
