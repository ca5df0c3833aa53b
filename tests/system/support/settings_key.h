// settings_key.h - the key HKEY_LOCAL_MACHINE\Software\Torvane\Zynet of the two registry
// settings, written as a setup program or an administrator writes it: in the program's own
// registry view or, on 64-bit Windows, in a chosen one. The fixture starts from and leaves
// behind a machine without the key in either view.
#pragma once

#include <gtest/gtest.h>

#include "platform/win32/scoped_win32.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

namespace zyn::test {

constexpr char kVendorKey[] = "Software\\Torvane";
constexpr char kSettingsKey[] = "Software\\Torvane\\Zynet";
constexpr char kThirdPartyApps[] = "Third Party Apps Allowed";
constexpr char kMaxExchangeSize[] = "Max Exchange Size";

// A registry view is named by KEY_WOW64_32KEY or KEY_WOW64_64KEY; 0 is the program's own view.
constexpr REGSAM kOwnView = 0;
constexpr REGSAM kBothViews[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};

inline bool keyExists(const char* path, REGSAM view = kOwnView) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return false;
    win32::RegistryKey key(opened);
    return true;
}

class SettingsKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        removeSettingsKeys(); // what an earlier run that crashed left
        for (size_t i = 0; i < std::size(kBothViews); ++i)
            vendorKeyExisted_[i] = keyExists(kVendorKey, kBothViews[i]);
    }
    void TearDown() override {
        removeSettingsKeys();
        for (size_t i = 0; i < std::size(kBothViews); ++i) {
            if (!vendorKeyExisted_[i]) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kVendorKey, kBothViews[i], 0);
            EXPECT_FALSE(keyExists(kSettingsKey, kBothViews[i])) << "the test left the settings key behind";
        }
    }

    // The settings key, created when missing.
    static win32::RegistryKey openSettingsKey(REGSAM view = kOwnView) {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr);
        return win32::RegistryKey(key);
    }

    static void createKey(REGSAM view = kOwnView) { ASSERT_TRUE(openSettingsKey(view)); }

    static void setValue(const char* name, DWORD type, const std::vector<uint8_t>& data, REGSAM view = kOwnView) {
        win32::RegistryKey key = openSettingsKey(view);
        ASSERT_TRUE(key);
        ASSERT_EQ(RegSetValueExA(key.get(), name, 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS)
            << name;
    }

    static void setDword(const char* name, uint32_t value, REGSAM view = kOwnView) {
        std::vector<uint8_t> data(sizeof value);
        std::memcpy(data.data(), &value, sizeof value);
        setValue(name, REG_DWORD, data, view);
    }

private:
    static void removeSettingsKeys() {
        for (REGSAM view : kBothViews)
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, view, 0);
    }

    bool vendorKeyExisted_[std::size(kBothViews)] = {};
};

} // namespace zyn::test
