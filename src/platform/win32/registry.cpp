// registry.cpp - Win32 only: reading one small value under HKEY_LOCAL_MACHINE.
#include "platform/win32/scoped_win32.h"

#include <cstring>

#include "platform/platform.h"

namespace zyn::platform {

RegistryRead readMachineValue32(const char* subkey, const char* valueName, uint32_t& data) {
    RegistryRead result;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return result;
    win32::RegistryKey key(opened);
    result.keyOpened = true;
    // The system leaves the buffer undefined when a value is too long, so the value is read
    // aside and placed over `data` only when it fitted.
    uint8_t buffer[sizeof(uint32_t)] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(key.get(), valueName, nullptr, &type, buffer, &size) == ERROR_SUCCESS) {
        std::memcpy(&data, buffer, size);
        result.valueRead = true;
    }
    return result;
}

} // namespace zyn::platform
