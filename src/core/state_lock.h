// state_lock.h - how the calls of many threads share LibraryState. Reading calls hold the state
// lock shared; a step that frees, rebuilds or replaces part of the state holds it alone, through
// replaceState only, and never across a Service Control Manager poll or a pause: those run
// before or after it, unlocked.
//
// Lock order, everywhere: the state lock, then "__ZYN_INIFILE", then an exchange mutex. No
// thread takes the state lock twice: a call that must replace state lets its shared hold go first.
// An exchange mutex is only tried under the state lock, never waited for: a thread waits for one
// holding no lock, so a mutex held elsewhere holds up no call that does not need it
// (exchange/data_access.cpp).
#pragma once

#include "core/library_state.h"

namespace zyn::core {

// Holds the state lock shared while it lives and holds.
class SharedStateLock {
public:
    explicit SharedStateLock(LibraryState& state, bool lockNow = true) : lock_(state.lock) {
        if (lockNow) lock();
    }
    SharedStateLock(const SharedStateLock&) = delete;
    SharedStateLock& operator=(const SharedStateLock&) = delete;
    ~SharedStateLock() { unlock(); }

    void lock() {
        if (held_) return;
        lock_.lockShared();
        held_ = true;
    }
    void unlock() {
        if (!held_) return;
        lock_.unlockShared();
        held_ = false;
    }

private:
    platform::ReaderWriterLock& lock_;
    bool held_ = false;
};

// Runs `step` with the state lock held exclusively and returns its result.
template <typename Step> auto replaceState(LibraryState& state, Step&& step) {
    struct Hold {
        explicit Hold(platform::ReaderWriterLock& lock) : lock_(lock) { lock_.lockExclusive(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        ~Hold() { lock_.unlockExclusive(); }
        platform::ReaderWriterLock& lock_;
    } hold(state.lock);
    return step();
}

} // namespace zyn::core
