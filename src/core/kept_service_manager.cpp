// kept_service_manager.cpp - the kept manager handle, shared by threads without a lock.
#include "core/kept_service_manager.h"

namespace zyn::core {

platform::Handle KeptServiceManager::manager() {
    if (platform::Handle kept = current_.load(std::memory_order_acquire)) return kept;
    platform::Handle fresh = platform::openServiceManager(platform::kGenericRead);
    return fresh == nullptr ? nullptr : replace(nullptr, fresh);
}

platform::Handle KeptServiceManager::replace(platform::Handle stale, platform::Handle fresh) {
    platform::Handle expected = stale;
    if (!current_.compare_exchange_strong(expected, fresh, std::memory_order_acq_rel)) {
        platform::closeServiceHandle(fresh);
        return expected;
    }
    if (stale != nullptr) {
        const uint32_t slot = replacedCount_.fetch_add(1, std::memory_order_acq_rel);
        // Past the slots, the handle the system called invalid is closed at once: it is of no
        // use to any thread, which only risks a failed open of its own.
        if (slot < kReplacedHandles) {
            replaced_[slot].store(stale, std::memory_order_release);
        } else {
            platform::closeServiceHandle(stale);
        }
    }
    return fresh;
}

platform::ServiceHandle KeptServiceManager::openService(const char* name, uint32_t access) {
    platform::Handle kept = manager();
    if (kept == nullptr) return {};
    platform::ServiceHandle service(platform::openService(kept, name, access));
    if (service || platform::lastError() != platform::kErrorInvalidHandle) return service;
    platform::Handle fresh = platform::openServiceManager(platform::kGenericRead);
    if (fresh == nullptr) return {};
    return platform::ServiceHandle(platform::openService(replace(kept, fresh), name, access));
}

void KeptServiceManager::close() {
    if (platform::Handle kept = current_.exchange(nullptr)) platform::closeServiceHandle(kept);
    const uint32_t count = replacedCount_.exchange(0);
    for (uint32_t i = 0; i < count && i < kReplacedHandles; ++i) {
        if (platform::Handle old = replaced_[i].exchange(nullptr)) platform::closeServiceHandle(old);
    }
}

} // namespace zyn::core
