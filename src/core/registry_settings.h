// registry_settings.h - the two machine-wide settings kept in the registry, read afresh on
// every call and never kept.
#pragma once

#include <cstdint>

namespace zyn::core {

constexpr char kSettingsKey[] = "Software\\Torvane\\Zynet";
constexpr char kThirdPartyAppsValue[] = "Third Party Apps Allowed";
constexpr char kMaxExchangeSizeValue[] = "Max Exchange Size";
constexpr int32_t kDefaultThirdPartyApps = 1;
constexpr int32_t kDefaultMaxExchangeSizeSetting = 1024;

int32_t thirdPartyAppsAllowed();
int32_t maxExchangeSizeSetting();

} // namespace zyn::core
