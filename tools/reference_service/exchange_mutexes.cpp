// exchange_mutexes.cpp - creating the exchange mutexes by the library's naming rule.
#include "exchange_mutexes.h"

namespace zyn::reference {

win32::KernelHandle openExchangeMutex(const ObjectNames& names, int32_t number) {
    const std::string name = names.exchangeMutex(number);
    win32::KernelHandle mutex(CreateMutexA(nullptr, FALSE, name.c_str()));
    if (!mutex) mutex.reset(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
    return mutex;
}

ExchangeMutexes::ExchangeMutexes(const SectionPlan& plan, const ObjectNames& names) {
    handles_.reserve(plan.pages.size());
    for (const PagePlacement& page : plan.pages) {
        // Two records on one fixed page share one name: each holds its own handle to it.
        if (win32::KernelHandle mutex = openExchangeMutex(names, page.mutexNumber))
            handles_.push_back(std::move(mutex));
    }
}

} // namespace zyn::reference
