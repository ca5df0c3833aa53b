// ini_file_lock.h - the lock every reader and writer of zyn.ini holds: "__ZYN_INIFILE".
#pragma once

#include "core/library_state_fwd.h"
#include "platform/mutex_wait.h"

namespace zyn::config {

// Opens "__ZYN_INIFILE" where the service keeps it, for the namespace its section was found in.
// Without a mutex the file is used unlocked.
void chooseIniMutex(core::LibraryState& state);
// Chooses again when the section has since been found in the other namespace: a library loaded
// before the service started shares the service's mutex once it has started it.
void rechooseIniMutexIfMoved(core::LibraryState& state);

// Holds "__ZYN_INIFILE" for its lifetime. A failed wait (a null handle, say) lets the holder go
// on without the lock, as every reader and writer of zyn.ini does.
class IniFileLock {
public:
    explicit IniFileLock(platform::Handle mutex)
        : mutex_(mutex), acquired_(platform::mutexAcquired(platform::waitForMutex(mutex))) {}
    IniFileLock(const IniFileLock&) = delete;
    IniFileLock& operator=(const IniFileLock&) = delete;
    ~IniFileLock() {
        if (acquired_) platform::releaseMutex(mutex_);
    }

private:
    platform::Handle mutex_;
    bool acquired_;
};

} // namespace zyn::config
