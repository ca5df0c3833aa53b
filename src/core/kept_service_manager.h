// kept_service_manager.h - the one Service Control Manager handle the library keeps from its
// first use to unload: opening it costs more than the whole data path otherwise does.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/scoped_handle.h"

namespace zyn::core {

class KeptServiceManager {
public:
    KeptServiceManager() = default;
    KeptServiceManager(const KeptServiceManager&) = delete;
    KeptServiceManager& operator=(const KeptServiceManager&) = delete;
    ~KeptServiceManager() { close(); }

    // Opens the named service with `access` through the kept manager, which is opened when
    // first needed and opened anew when the system reports it invalid. Empty when the manager
    // cannot be had or the service cannot be opened. No service handle is kept: an open one
    // would keep a deleted service's entry alive.
    platform::ServiceHandle openService(const char* name, uint32_t access);

    // Closes the kept handle and every one replaced since; only at unload, when no call runs.
    void close();

private:
    platform::Handle manager();
    // Puts `fresh` in the place of `stale` for every thread; a thread that lost the race closes
    // its own. Returns the handle to use.
    platform::Handle replace(platform::Handle stale, platform::Handle fresh);

    // A replaced handle may still be in use by another thread's call: it is closed at unload.
    static constexpr uint32_t kReplacedHandles = 16;
    std::atomic<platform::Handle> current_{nullptr};
    std::atomic<platform::Handle> replaced_[kReplacedHandles] = {};
    std::atomic<uint32_t> replacedCount_{0};
};

} // namespace zyn::core
