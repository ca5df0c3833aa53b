// exchange_mutexes.cpp - creating the exchange mutexes by the library's naming rule.
#include "exchange_mutexes.h"

#include "config/page_layout.h"

namespace zyn::reference {

win32::KernelHandle openExchangeMutex(int32_t number) {
    char name[config::kMutexNameSize];
    config::formatExchangeMutexName(name, number);
    win32::KernelHandle mutex(CreateMutexA(nullptr, FALSE, name));
    if (!mutex) mutex.reset(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name));
    return mutex;
}

ExchangeMutexes::ExchangeMutexes(const SectionPlan& plan) {
    handles_.reserve(plan.pages.size());
    for (const PagePlacement& page : plan.pages) {
        // Two records on one fixed page share one name: each holds its own handle to it.
        if (win32::KernelHandle mutex = openExchangeMutex(page.mutexNumber)) handles_.push_back(std::move(mutex));
    }
}

} // namespace zyn::reference
