// fake_threads.cpp - the state lock and the one-time start of the fake platform: the standard
// library's own, so that native tests can run threads against them, and the exclusive holds
// recorded in the world, so that tests see which operations replace state and what they do
// meanwhile. A world may ask for the turn-taking lock of the fallback for systems before Vista.
#include <mutex>
#include <new>
#include <shared_mutex>
#include <utility>

#include "fake_platform.h"

namespace zyn::platform {

namespace {

template <typename Parts> Parts& partsOf(unsigned char* storage) {
    static_assert(sizeof(Parts) <= kLockStorageBytes && alignof(Parts) <= 16);
    return *std::launder(reinterpret_cast<Parts*>(storage));
}

struct LockParts {
    std::shared_mutex lock;
    bool takesTurns = fake::worldIfAny() != nullptr && fake::worldIfAny()->fallbackThreadSync;
};
using StartParts = std::once_flag;

} // namespace

ReaderWriterLock::ReaderWriterLock() { new (storage_) LockParts(); }
ReaderWriterLock::~ReaderWriterLock() { partsOf<LockParts>(storage_).~LockParts(); }

void ReaderWriterLock::lockShared() {
    LockParts& parts = partsOf<LockParts>(storage_);
    parts.takesTurns ? parts.lock.lock() : parts.lock.lock_shared();
}

void ReaderWriterLock::unlockShared() {
    LockParts& parts = partsOf<LockParts>(storage_);
    parts.takesTurns ? parts.lock.unlock() : parts.lock.unlock_shared();
}

void ReaderWriterLock::lockExclusive() {
    fake::FakeWorld* world = fake::worldIfAny();
    if (world != nullptr && world->beforeNextExclusiveLock) std::exchange(world->beforeNextExclusiveLock, nullptr)();
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
    std::call_once(partsOf<StartParts>(storage_), routine, context);
}

} // namespace zyn::platform
