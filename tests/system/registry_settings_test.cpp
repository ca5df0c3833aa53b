// registry_settings_test.cpp - ZYN_ThirdPartyAppsAllowed and ZYN_GetMaxExchangeSize against the
// real registry: the values under HKEY_LOCAL_MACHINE\Software\Torvane\Zynet as a setup program
// or an administrator would store them, their defaults, and a change seen by the next call.
#include <gtest/gtest.h>

#include "platform/win32/scoped_win32.h"

#include <cstdint>
#include <vector>

#include "support/loaded_library.h"
#include "support/settings_key.h"
#include "trvzyn32.h"

namespace {

using namespace zyn::test;

class RegistrySettingsTest : public SettingsKeyTest {
protected:
    static void deleteValue(const char* name) {
        HKEY opened = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_SET_VALUE, &opened), ERROR_SUCCESS);
        zyn::win32::RegistryKey key(opened);
        RegDeleteValueA(key.get(), name);
    }
};

struct StoredValue {
    DWORD type;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> littleEndian(uint64_t value, size_t bytes) {
    std::vector<uint8_t> data(bytes);
    for (size_t i = 0; i < bytes; ++i)
        data[i] = static_cast<uint8_t>(value >> (8 * i));
    return data;
}
StoredValue dword(uint32_t value) { return {REG_DWORD, littleEndian(value, 4)}; }

struct SettingsCase {
    const char* name;
    bool key;                        // whether the settings key exists
    std::vector<StoredValue> stored; // "Third Party Apps Allowed", then "Max Exchange Size"; none: absent
    int32_t thirdPartyAppsAllowed;
    int32_t maxExchangeSize;
};

class StoredSettingsTest : public RegistrySettingsTest, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(StoredSettingsTest, EachValueIsReadOrDefaulted) {
    const SettingsCase& row = GetParam();
    if (row.key) createKey();
    if (!row.stored.empty()) {
        setValue(kThirdPartyApps, row.stored[0].type, row.stored[0].data);
        setValue(kMaxExchangeSize, row.stored[1].type, row.stored[1].data);
    }
    LoadedLibrary library;
    EXPECT_EQ(ZYN_EXPORT(library, ZYN_ThirdPartyAppsAllowed)(), row.thirdPartyAppsAllowed);
    EXPECT_EQ(ZYN_EXPORT(library, ZYN_GetMaxExchangeSize)(), row.maxExchangeSize);
}

const SettingsCase kSettings[] = {
    {"NoKey", false, {}, 1, 1024},
    {"KeyWithoutValues", true, {}, 1, 1024},
    {"Zero", true, {dword(0), dword(0)}, 0, 1024},
    {"Five", true, {dword(5), dword(5)}, 5, 5},
    {"Thousand", true, {dword(1000), dword(1000)}, 1000, 1000},
    {"NegativeAsStored", true, {dword(0xFFFFFFFFu), dword(0xFFFFFF9Cu)}, -1, -100},
    {"EightByteQword", true, {{REG_QWORD, littleEndian(5, 8)}, {REG_QWORD, littleEndian(1000, 8)}}, 1, 1024},
    {"EightByteBinary", true, {{REG_BINARY, littleEndian(5, 8)}, {REG_BINARY, littleEndian(1000, 8)}}, 1, 1024},
    // The type is not looked at: four bytes of any type are the number.
    {"FourByteBinary", true, {{REG_BINARY, littleEndian(7, 4)}, {REG_BINARY, littleEndian(1000, 4)}}, 7, 1000},
    // Fewer bytes lie over the low bytes of the initial value (1 and 0).
    {"TwoByteBinary", true, {{REG_BINARY, {0x34, 0x12}}, {REG_BINARY, {0x34, 0x12}}}, 0x1234, 0x1234},
    {"EmptyBinary", true, {{REG_BINARY, {}}, {REG_BINARY, {}}}, 1, 1024},
};
INSTANTIATE_TEST_SUITE_P(Values, StoredSettingsTest, ::testing::ValuesIn(kSettings),
                         [](const ::testing::TestParamInfo<SettingsCase>& info) { return info.param.name; });

// The values are read on every call: a change in the registry shows at the next call of the
// library that stays loaded.
TEST_F(RegistrySettingsTest, ChangeIsSeenByTheNextCall) {
    LoadedLibrary library;
    const auto thirdPartyApps = ZYN_EXPORT(library, ZYN_ThirdPartyAppsAllowed);
    const auto maxExchangeSize = ZYN_EXPORT(library, ZYN_GetMaxExchangeSize);
    EXPECT_EQ(thirdPartyApps(), 1);
    EXPECT_EQ(maxExchangeSize(), 1024);

    setDword(kThirdPartyApps, 5);
    setDword(kMaxExchangeSize, 5);
    EXPECT_EQ(thirdPartyApps(), 5);
    EXPECT_EQ(maxExchangeSize(), 5);

    setDword(kThirdPartyApps, 0);
    setDword(kMaxExchangeSize, 1000);
    EXPECT_EQ(thirdPartyApps(), 0);
    EXPECT_EQ(maxExchangeSize(), 1000);

    setDword(kMaxExchangeSize, 0);
    EXPECT_EQ(maxExchangeSize(), 1024);

    setValue(kThirdPartyApps, REG_QWORD, littleEndian(9, 8));
    EXPECT_EQ(thirdPartyApps(), 1);

    setDword(kThirdPartyApps, 9);
    deleteValue(kMaxExchangeSize);
    EXPECT_EQ(thirdPartyApps(), 9);
    EXPECT_EQ(maxExchangeSize(), 1024);

    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey), ERROR_SUCCESS);
    EXPECT_EQ(thirdPartyApps(), 1);
    EXPECT_EQ(maxExchangeSize(), 1024);
}

} // namespace
