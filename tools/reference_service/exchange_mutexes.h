// exchange_mutexes.h - the per-exchange mutexes "ZYN_MAP_1-%05d" that the service keeps open from
// start to stop, so that they exist for every client even before any library loads.
#pragma once

#include <vector>

#include "platform/win32/scoped_win32.h"
#include "object_names.h"
#include "section_plan.h"

namespace zyn::reference {

class ExchangeMutexes {
public:
    // Creates (or opens, when a client created it first) the mutex of every planned page.
    ExchangeMutexes(const SectionPlan& plan, const ObjectNames& names, SECURITY_ATTRIBUTES* security);

    size_t count() const { return handles_.size(); }

private:
    std::vector<win32::KernelHandle> handles_;
};

// Creates, with the given security, or opens the exchange mutex of that number; invalid on failure.
win32::KernelHandle openExchangeMutex(const ObjectNames& names, int32_t number, SECURITY_ATTRIBUTES* security);

} // namespace zyn::reference
