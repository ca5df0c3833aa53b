// registry_settings.cpp - the two settings differ on a stored 0: "Third Party Apps Allowed" 0
// is returned as it is, "Max Exchange Size" 0 gives the default.
#include "core/registry_settings.h"

#include "platform/platform.h"

namespace zyn::core {

int32_t thirdPartyAppsAllowed() {
    uint32_t value = kDefaultThirdPartyApps;
    platform::RegistryRead read = platform::readMachineValue32(kSettingsKey, kThirdPartyAppsValue, value);
    if (!read.keyOpened || !read.valueRead) return kDefaultThirdPartyApps;
    return static_cast<int32_t>(value);
}

int32_t maxExchangeSizeSetting() {
    uint32_t value = 0;
    platform::readMachineValue32(kSettingsKey, kMaxExchangeSizeValue, value);
    return value != 0 ? static_cast<int32_t>(value) : kDefaultMaxExchangeSizeSetting;
}

} // namespace zyn::core
