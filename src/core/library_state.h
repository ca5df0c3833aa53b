// library_state.h - the one process-wide record of the library: filled by the load sequence at
// the first call that needs it, released when the process unloads the library. No other state
// exists.
#pragma once

#include <atomic>
#include <cstdint>

#include "config/config_paths.h"
#include "config/service_params.h"
#include "config/tables.h"
#include "core/kept_service_manager.h"
#include "platform/heap_array.h"
#include "platform/named_objects.h"
#include "platform/scoped_handle.h"

namespace zyn::core {

struct LibraryState {
    // Shared by the calls that read the state, held alone around every step that replaces part
    // of it (core/state_lock.h); the load sequence runs once, before any call uses the state.
    platform::ReaderWriterLock lock;
    platform::OneTimeStart loadOnce;
    platform::ScopedView view;              // the mapped view of "ZYN_MAP_1"; empty when not mapped
    platform::KernelHandle mappingHandle;   // the opened section "ZYN_MAP_1"
    std::atomic<int32_t> servicePresent{0}; // answer of the last presence test, of any thread
    KeptServiceManager serviceManager;      // opened at the first presence or running test
    platform::HeapArray<char> defsText;     // the counted definition lines of zyn.ini
    config::PageTable pageTable;
    config::ExchangeTable exchangeTable;
    uint32_t defsTextLength = 0;
    uint32_t exchangeCount = 0;
    int32_t configPathValid = 0;
    int32_t loaded = 0;
    config::ServiceParams params; // maxExchangeSize .. multicast
    int32_t platformIsNt = 1;
    platform::KernelHandle iniMutex; // "__ZYN_INIFILE"
    char configPath[config::kConfigPathSize] = {};
    config::NameIndex nameIndex;
    config::IdIndex idIndex;
    int32_t socketsStarted = 0;
    // Where the service's objects were found: the section when it was last opened (kept after
    // the service stops: it says where the installation's service puts them), and the zyn.ini
    // mutex, with the section namespace its choice was made for.
    platform::ObjectNamespace sectionNamespace = platform::ObjectNamespace::None;
    platform::ObjectNamespace iniMutexNamespace = platform::ObjectNamespace::None;
    platform::ObjectNamespace iniMutexChosenFor = platform::ObjectNamespace::None;
};

// The instance. Tests start each case from a fresh one with resetLibraryState().
LibraryState& libraryState();
void resetLibraryState();

} // namespace zyn::core
