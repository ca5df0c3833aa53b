// object_names.cpp - the library's names, with the chosen prefix.
#include "object_names.h"

#include "config/page_layout.h"
#include "platform/named_objects.h"

namespace zyn::reference {

ObjectNames::ObjectNames(bool global)
    : prefix_(global ? platform::kGlobalPrefix : ""), section_(prefix_ + config::kSectionName),
      iniMutex_(prefix_ + config::kIniMutexName) {}

std::string ObjectNames::exchangeMutex(int32_t number) const {
    char name[config::kMutexNameSize];
    config::formatExchangeMutexName(name, number);
    return prefix_ + name;
}

} // namespace zyn::reference
