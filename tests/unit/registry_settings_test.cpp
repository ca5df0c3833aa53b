// The two registry settings: their defaults, the stored values, a stored 0 that only one of
// them takes as it is, and the view they are read in.
#include "library_fixture.h"

#include <optional>
#include <vector>

#include "core/registry_settings.h"
#include "trvzyn32.h"

namespace zyn::testing {
namespace {

using platform::RegistryView;

class RegistrySettings : public LibraryTest {
protected:
    void store(const char* value, std::vector<uint8_t> bytes, RegistryView view = RegistryView::Bits32) {
        world().registry[view][core::kSettingsKey][value] = bytes;
    }
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
        world().registry[RegistryView::Bits32][core::kSettingsKey].clear();
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

// The 32-bit view is read first; only when the key is missing there is the 64-bit view read.
TEST_F(RegistrySettings, ThirtyTwoBitViewFirstAndSixtyFourBitViewOnlyWithoutItsKey) {
    enum class Key { Missing, WithoutValues, WithValues, Refused };
    struct Case {
        const char* what;
        Key in32;
        bool valuesIn64;
        int32_t thirdParty;
        int32_t maxSize;
    };
    const Case cases[] = {
        {"only the 32-bit view", Key::WithValues, false, 0, 3232},
        {"only the 64-bit view", Key::Missing, true, 7, 6464},
        {"both views", Key::WithValues, true, 0, 3232},
        {"32-bit key without the values", Key::WithoutValues, true, 1, 1024},
        {"32-bit key that cannot be opened", Key::Refused, true, 1, 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world().registry.clear();
        if (c.in32 == Key::WithoutValues) world().registry[RegistryView::Bits32][core::kSettingsKey];
        if (c.in32 == Key::WithValues || c.in32 == Key::Refused) {
            store(core::kThirdPartyAppsValue, dword(0));
            store(core::kMaxExchangeSizeValue, dword(3232));
        }
        if (c.valuesIn64) {
            store(core::kThirdPartyAppsValue, dword(7), RegistryView::Bits64);
            store(core::kMaxExchangeSizeValue, dword(6464), RegistryView::Bits64);
        }
        // Each call opens the 32-bit view first: that open, and only that one, is refused.
        const auto refuse32 = [&] {
            if (c.in32 == Key::Refused) world().failCall(fake::Op::RegistryOpen, 1);
        };
        refuse32();
        EXPECT_EQ(ZYN_ThirdPartyAppsAllowed(), c.thirdParty);
        refuse32();
        EXPECT_EQ(ZYN_GetMaxExchangeSize(), c.maxSize);
    }
}

} // namespace
} // namespace zyn::testing
