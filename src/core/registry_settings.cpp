// registry_settings.cpp - the two settings differ on a stored 0: "Third Party Apps Allowed" 0
// is returned as it is, "Max Exchange Size" 0 gives the default.
#include "core/registry_settings.h"

#include "platform/platform.h"

namespace zyn::core {

namespace {

// The service and its setup program are 32-bit programs and write the 32-bit view, so both
// DLLs read that view first, and a 32-bit and a 64-bit application get the same answer. A key
// only in the 64-bit view was written by a 64-bit installer. Only a missing key falls back: a
// key without the value, or one that cannot be opened, gives the default as it always did.
platform::RegistryRead readSetting(const char* valueName, uint32_t& value) {
    const platform::RegistryRead read =
        platform::readMachineValue32(platform::RegistryView::Bits32, kSettingsKey, valueName, value);
    if (read.key != platform::RegistryKeyOutcome::Missing) return read;
    return platform::readMachineValue32(platform::RegistryView::Bits64, kSettingsKey, valueName, value);
}

} // namespace

int32_t thirdPartyAppsAllowed() {
    uint32_t value = kDefaultThirdPartyApps;
    if (!readSetting(kThirdPartyAppsValue, value).valueRead) return kDefaultThirdPartyApps;
    return static_cast<int32_t>(value);
}

int32_t maxExchangeSizeSetting() {
    uint32_t value = 0;
    readSetting(kMaxExchangeSizeValue, value);
    return value != 0 ? static_cast<int32_t>(value) : kDefaultMaxExchangeSizeSetting;
}

} // namespace zyn::core
