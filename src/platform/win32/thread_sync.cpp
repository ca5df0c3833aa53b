// thread_sync.cpp - Win32 only: the state lock and the one-time start. Slim reader-writer locks
// and the one-time initialisation exist from Windows Vista on; they are looked up in kernel32 at
// run time, so that the DLL's imports stay those of Windows 2000 and XP, where a critical
// section stands in for both.
#include <windows.h>

#include <atomic>
#include <new>

#include "platform/platform.h"

namespace zyn::platform {

namespace {

// Both system objects are one pointer, zero when unused; declared here by shape so that no
// Vista-only declaration is needed to compile.
using SlimObject = void*;
using SlimLockCall = void(WINAPI*)(SlimObject*);
using InitOnceRoutine = BOOL(WINAPI*)(SlimObject*, void*, void**);
using InitOnceCall = BOOL(WINAPI*)(SlimObject*, InitOnceRoutine, void*, void**);

#ifdef ZYN_FALLBACK_THREAD_SYNC
// A build for the tests that finds neither, as on Windows 2000 and XP: no system the tests run
// on would otherwise take the critical section's way.
constexpr bool kVistaCallsLookedUp = false;
#else
constexpr bool kVistaCallsLookedUp = true;
#endif

// kernel32 is in every process before any DLL's entry point runs: asking it loads nothing.
FARPROC kernelFunction(const char* name) {
    if (!kVistaCallsLookedUp) return nullptr;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel != nullptr ? GetProcAddress(kernel, name) : nullptr;
}

template <typename Call> Call resolved(const char* name) {
    return reinterpret_cast<Call>(reinterpret_cast<void*>(kernelFunction(name)));
}

struct LockParts {
    SlimLockCall acquireShared = nullptr; // all four or none
    SlimLockCall releaseShared = nullptr;
    SlimLockCall acquireExclusive = nullptr;
    SlimLockCall releaseExclusive = nullptr;
    SlimObject slim = nullptr;
    CRITICAL_SECTION turns; // initialised only without the slim calls

    bool isSlim() const { return acquireShared != nullptr; }
};
static_assert(sizeof(LockParts) <= kLockStorageBytes && alignof(LockParts) <= 16);

struct StartParts {
    InitOnceCall executeOnce = nullptr;
    SlimObject once = nullptr;
    std::atomic<bool> done{false}; // the critical section's way
    CRITICAL_SECTION turns;
};
static_assert(sizeof(StartParts) <= kLockStorageBytes && alignof(StartParts) <= 16);

template <typename Parts> Parts& partsIn(unsigned char* storage) {
    return *std::launder(reinterpret_cast<Parts*>(storage));
}

struct Routine {
    void (*call)(void*);
    void* context;
};

BOOL WINAPI runRoutine(SlimObject*, void* parameter, void**) {
    const Routine* routine = static_cast<const Routine*>(parameter);
    routine->call(routine->context);
    return TRUE;
}

} // namespace

ReaderWriterLock::ReaderWriterLock() {
    LockParts* parts = new (storage_) LockParts();
    const SlimLockCall calls[] = {
        resolved<SlimLockCall>("AcquireSRWLockShared"), resolved<SlimLockCall>("ReleaseSRWLockShared"),
        resolved<SlimLockCall>("AcquireSRWLockExclusive"), resolved<SlimLockCall>("ReleaseSRWLockExclusive")};
    if (calls[0] != nullptr && calls[1] != nullptr && calls[2] != nullptr && calls[3] != nullptr) {
        parts->acquireShared = calls[0];
        parts->releaseShared = calls[1];
        parts->acquireExclusive = calls[2];
        parts->releaseExclusive = calls[3];
    } else {
        InitializeCriticalSection(&parts->turns);
    }
}

ReaderWriterLock::~ReaderWriterLock() {
    LockParts* parts = &partsIn<LockParts>(storage_);
    if (!parts->isSlim()) DeleteCriticalSection(&parts->turns);
    parts->~LockParts();
}

#ifdef ZYN_BENCH_WITHOUT_STATE_LOCK
// Only in the build the benchmark sets beside the real one: the difference is what the lock costs.
void ReaderWriterLock::lockShared() {}
void ReaderWriterLock::unlockShared() {}
void ReaderWriterLock::lockExclusive() {}
void ReaderWriterLock::unlockExclusive() {}
#else
void ReaderWriterLock::lockShared() {
    LockParts* parts = &partsIn<LockParts>(storage_);
    if (parts->isSlim()) {
        parts->acquireShared(&parts->slim);
    } else {
        EnterCriticalSection(&parts->turns);
    }
}

void ReaderWriterLock::unlockShared() {
    LockParts* parts = &partsIn<LockParts>(storage_);
    if (parts->isSlim()) {
        parts->releaseShared(&parts->slim);
    } else {
        LeaveCriticalSection(&parts->turns);
    }
}

void ReaderWriterLock::lockExclusive() {
    LockParts* parts = &partsIn<LockParts>(storage_);
    if (parts->isSlim()) {
        parts->acquireExclusive(&parts->slim);
    } else {
        EnterCriticalSection(&parts->turns);
    }
}

void ReaderWriterLock::unlockExclusive() {
    LockParts* parts = &partsIn<LockParts>(storage_);
    if (parts->isSlim()) {
        parts->releaseExclusive(&parts->slim);
    } else {
        LeaveCriticalSection(&parts->turns);
    }
}
#endif

OneTimeStart::OneTimeStart() {
    StartParts* parts = new (storage_) StartParts();
    parts->executeOnce = resolved<InitOnceCall>("InitOnceExecuteOnce");
    if (parts->executeOnce == nullptr) InitializeCriticalSection(&parts->turns);
}

OneTimeStart::~OneTimeStart() {
    StartParts* parts = &partsIn<StartParts>(storage_);
    if (parts->executeOnce == nullptr) DeleteCriticalSection(&parts->turns);
    parts->~StartParts();
}

void OneTimeStart::run(void (*routine)(void* context), void* context) {
    StartParts* parts = &partsIn<StartParts>(storage_);
    Routine call{routine, context};
    if (parts->executeOnce != nullptr) {
        parts->executeOnce(&parts->once, runRoutine, &call, nullptr);
        return;
    }
    if (parts->done.load(std::memory_order_acquire)) return;
    EnterCriticalSection(&parts->turns);
    if (!parts->done.load(std::memory_order_relaxed)) {
        routine(context);
        parts->done.store(true, std::memory_order_release);
    }
    LeaveCriticalSection(&parts->turns);
}

} // namespace zyn::platform
