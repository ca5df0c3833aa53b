// The two registry settings: their defaults, the stored values, and a stored 0 that only one of
// them takes as it is.
#include "library_fixture.h"

#include <optional>
#include <vector>

#include "core/registry_settings.h"
#include "trvzyn32.h"

namespace zyn::testing {
namespace {

class RegistrySettings : public LibraryTest {
protected:
    void store(const char* value, std::vector<uint8_t> bytes) { world().registry[core::kSettingsKey][value] = bytes; }
    static std::vector<uint8_t> dword(uint32_t v) {
        return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                static_cast<uint8_t>(v >> 24)};
    }
};

TEST_F(RegistrySettings, DefaultsStoredValuesAndTheDifferenceOnZero) {
    struct Case {
        const char* what;
        std::optional<std::vector<uint8_t>> stored; // nullopt: no value; the key exists
        int32_t thirdParty;
        int32_t maxSize;
    };
    const Case cases[] = {
        {"absent", std::nullopt, 1, 1024},
        {"0", dword(0), 0, 1024},
        {"5", dword(5), 5, 5},
        {"1000", dword(1000), 1000, 1000},
        {"negative", dword(0xFFFFFFFF), -1, -1},
        {"8 bytes", std::vector<uint8_t>{9, 0, 0, 0, 0, 0, 0, 0}, 1, 1024},
        {"2 bytes", std::vector<uint8_t>{7, 0}, 7, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world().registry[core::kSettingsKey].clear();
        if (c.stored) {
            store(core::kThirdPartyAppsValue, *c.stored);
            store(core::kMaxExchangeSizeValue, *c.stored);
        }
        EXPECT_EQ(ZYN_ThirdPartyAppsAllowed(), c.thirdParty);
        EXPECT_EQ(ZYN_GetMaxExchangeSize(), c.maxSize);
    }
    world().registry.clear();
    EXPECT_EQ(ZYN_ThirdPartyAppsAllowed(), 1) << "no key";
    EXPECT_EQ(ZYN_GetMaxExchangeSize(), 1024);
}

} // namespace
} // namespace zyn::testing
