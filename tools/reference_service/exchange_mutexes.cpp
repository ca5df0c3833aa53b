// exchange_mutexes.cpp - creating the exchange mutexes by the library's naming rule.
#include "exchange_mutexes.h"

namespace zyn::reference {

win32::KernelHandle openExchangeMutex(const ObjectNames& names, int32_t number, SECURITY_ATTRIBUTES* security) {
    const std::string name = names.exchangeMutex(number);
    win32::KernelHandle mutex(CreateMutexA(security, FALSE, name.c_str()));
    // Creating an existing mutex asks for full control, which its descriptor may deny: waiting
    // and releasing need less.
    if (!mutex) mutex.reset(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
    return mutex;
}

ExchangeMutexes::ExchangeMutexes(const SectionPlan& plan, const ObjectNames& names, SECURITY_ATTRIBUTES* security) {
    handles_.reserve(plan.pages.size());
    for (const PagePlacement& page : plan.pages) {
        // Two records on one fixed page share one name: each holds its own handle to it.
        if (win32::KernelHandle mutex = openExchangeMutex(names, page.mutexNumber, security))
            handles_.push_back(std::move(mutex));
    }
}

} // namespace zyn::reference
