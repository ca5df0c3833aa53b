// page_layout.cpp - the exchange mutex names.
#include "config/page_layout.h"

#include <cstdio>

namespace zyn::config {

void formatExchangeMutexName(char (&name)[kMutexNameSize], int32_t number) {
    std::snprintf(name, sizeof name, "%s-%05d", kSectionName, static_cast<int>(number));
}

} // namespace zyn::config
