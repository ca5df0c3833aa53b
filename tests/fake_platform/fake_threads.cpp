// fake_threads.cpp - the state lock and the one-time start of the fake platform: the standard
// library's own, so that native tests can run threads against them, and the holds recorded in
// the world, so that tests see which operations replace state and what they do meanwhile. A
// world may ask for the turn-taking kind that stands in for systems before Windows Vista.
#include <atomic>
#include <mutex>
#include <new>
#include <shared_mutex>

#include "fake_platform.h"

namespace zyn::platform {

namespace {

template <typename Parts> Parts& partsOf(unsigned char* storage) {
    static_assert(sizeof(Parts) <= kLockStorageBytes && alignof(Parts) <= 16);
    return *std::launder(reinterpret_cast<Parts*>(storage));
}

bool fallbackAsked() {
    const fake::FakeWorld* world = fake::worldIfAny();
    return world != nullptr && world->fallbackThreadSync;
}

struct LockParts {
    std::shared_mutex lock;
    bool takesTurns = fallbackAsked();
};

struct StartParts {
    std::once_flag once;
    bool takesTurns = fallbackAsked();
    std::mutex turns; // the critical section's way
    std::atomic<bool> done{false};
};

} // namespace

ReaderWriterLock::ReaderWriterLock() { new (storage_) LockParts(); }
ReaderWriterLock::~ReaderWriterLock() { partsOf<LockParts>(storage_).~LockParts(); }

void ReaderWriterLock::lockShared() {
    LockParts& parts = partsOf<LockParts>(storage_);
    if (parts.takesTurns) {
        parts.lock.lock();
    } else {
        parts.lock.lock_shared();
    }
    if (fake::FakeWorld* world = fake::worldIfAny()) ++world->sharedHolds;
}

void ReaderWriterLock::unlockShared() {
    LockParts& parts = partsOf<LockParts>(storage_);
    if (fake::FakeWorld* world = fake::worldIfAny()) --world->sharedHolds;
    if (parts.takesTurns) {
        parts.lock.unlock();
    } else {
        parts.lock.unlock_shared();
    }
}

void ReaderWriterLock::lockExclusive() {
    fake::FakeWorld* world = fake::worldIfAny();
    if (world != nullptr && world->beforeNextExclusiveLock) {
        const auto firstComer = std::move(world->beforeNextExclusiveLock);
        world->beforeNextExclusiveLock = nullptr;
        firstComer();
    }
    partsOf<LockParts>(storage_).lock.lock();
    if (world != nullptr) {
        ++world->exclusiveLocks;
        world->heldExclusively = true;
    }
}

void ReaderWriterLock::unlockExclusive() {
    if (fake::FakeWorld* world = fake::worldIfAny()) world->heldExclusively = false;
    partsOf<LockParts>(storage_).lock.unlock();
}

OneTimeStart::OneTimeStart() { new (storage_) StartParts(); }
OneTimeStart::~OneTimeStart() { partsOf<StartParts>(storage_).~StartParts(); }

void OneTimeStart::run(void (*routine)(void* context), void* context) {
    StartParts& parts = partsOf<StartParts>(storage_);
    if (!parts.takesTurns) {
        std::call_once(parts.once, routine, context);
        return;
    }
    if (parts.done.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> turn(parts.turns);
    if (!parts.done.load(std::memory_order_relaxed)) {
        routine(context);
        parts.done.store(true, std::memory_order_release);
    }
}

} // namespace zyn::platform
