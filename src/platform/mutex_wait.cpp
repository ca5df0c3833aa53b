// mutex_wait.cpp - the mutex wait rule.
#include "platform/mutex_wait.h"

namespace zyn::platform {

uint32_t waitForMutex(Handle mutex) {
    for (;;) {
        uint32_t result = waitForObject(mutex, kInfinite);
        if (mutexAcquired(result) || result == kWaitFailed || result == kWaitTimeout) return result;
    }
}

} // namespace zyn::platform
