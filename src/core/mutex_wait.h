// mutex_wait.h - the one rule for waiting on a named mutex, and the lock around zyn.ini.
#pragma once

#include "platform/platform.h"

namespace zyn::core {

// Waits without time limit until the mutex is acquired, found abandoned (which counts as
// acquired) or the wait fails. Returns the wait's last result.
uint32_t waitForMutex(platform::Handle mutex);

inline bool mutexAcquired(uint32_t waitResult) {
    return waitResult == platform::kWaitObject0 || waitResult == platform::kWaitAbandoned;
}

// Holds "__ZYN_INIFILE" for its lifetime. A failed wait (a null handle, say) lets the holder go
// on without the lock, as every reader and writer of zyn.ini does.
class IniFileLock {
public:
    explicit IniFileLock(platform::Handle mutex) : mutex_(mutex), acquired_(mutexAcquired(waitForMutex(mutex))) {}
    IniFileLock(const IniFileLock&) = delete;
    IniFileLock& operator=(const IniFileLock&) = delete;
    ~IniFileLock() {
        if (acquired_) platform::releaseMutex(mutex_);
    }

private:
    platform::Handle mutex_;
    bool acquired_;
};

} // namespace zyn::core
