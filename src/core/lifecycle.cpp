// lifecycle.cpp - the load and unload sequences. Loading never fails: whatever could not be
// done shows later as the result codes of the operations that need it.
#include "core/lifecycle.h"

#include <cstring>

#include "config/loader.h"
#include "config/page_layout.h"
#include "core/library_state.h"
#include "core/service_status.h"

namespace zyn::core {

bool windowsDirectoryPath(char* out, uint32_t capacity, const char* fileName) {
    char directory[kConfigPathSize] = {};
    uint32_t needed = platform::expandWindowsDirectory(directory, sizeof directory);
    if (needed == 0 || needed > sizeof directory) return false;
    size_t directoryLength = std::strlen(directory);
    size_t nameLength = std::strlen(fileName);
    if (directoryLength + nameLength + 1 > capacity) return false;
    std::memcpy(out, directory, directoryLength);
    std::memcpy(out + directoryLength, fileName, nameLength + 1);
    return true;
}

bool openSectionWithRetries(LibraryState& state) {
    for (int attempt = 0; !state.mappingHandle && attempt < kAttachAttempts; ++attempt) {
        state.mappingHandle.reset(platform::openSection(config::kSectionName));
        platform::sleepMilliseconds(kAttachPollMilliseconds);
    }
    return static_cast<bool>(state.mappingHandle);
}

namespace {

void openIniMutex(LibraryState& state) {
    platform::Handle mutex = platform::createMutex(config::kIniMutexName);
    state.iniMutex.reset(mutex != nullptr ? mutex : platform::openMutex(config::kIniMutexName));
}

bool allocateTables(LibraryState& state) {
    const int32_t maxStatic = state.params.maxStaticExchanges;
    return state.exchangeTable.allocate(config::exchangeSlotsFor(maxStatic)) &&
           state.nameIndex.allocate(config::exchangeSlotsFor(maxStatic) - 1) &&
           state.defsText.allocate(config::defsTextSizeFor(maxStatic));
}

} // namespace

void processAttach(LibraryState& state) {
    if (state.socketsStarted != 1 && platform::startSockets()) state.socketsStarted = 1;
    std::memset(state.params.multicast, 0, sizeof state.params.multicast);
    if (!platform::isNtFamily()) state.platformIsNt = 0;
    state.configPathValid = windowsDirectoryPath(state.configPath, sizeof state.configPath, kConfigFileName) ? 1 : 0;
    if (state.platformIsNt == 0) return;

    if (isServiceRunning(state) != 0 && openSectionWithRetries(state)) {
        state.view = platform::ScopedView(platform::mapWholeSection(state.mappingHandle.get()));
    }
    openIniMutex(state);
    if (state.configPathValid == 0) return;

    config::ReadServiceParams(state);
    if (!allocateTables(state)) {
        // A limit whose tables cannot be had leaves nothing half-allocated behind.
        state.exchangeTable.release();
        state.nameIndex.reset();
        state.defsText.reset();
        return;
    }
    state.defsTextLength =
        config::ReadExchangeDefsText(state, state.defsText.data(), state.defsText.count(), state.configPath);
    state.defsText[state.defsTextLength + 1] = '\0';
    state.loaded = config::ParseExchangeDefs(state);
    config::BuildPageTable(state);
}

void processDetach(LibraryState& state) {
    config::ReleaseExchangeTable(state);
    state.pageTable.reset();
    state.iniMutex.reset();
    state.view.reset();
    state.mappingHandle.reset();
    state.defsText.reset();
    state.nameIndex.reset();
}

} // namespace zyn::core
