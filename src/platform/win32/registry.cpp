// registry.cpp - Win32 only: reading one small value under HKEY_LOCAL_MACHINE in a chosen view.
#include "platform/win32/scoped_win32.h"

#include <cstring>

#include "platform/platform.h"

namespace zyn::platform {

namespace {

// The process's own view is opened without a flag, as it always was, also on Windows versions
// older than the flags. Only the other view is named: on a Windows without WOW64 that open
// finds the one view's missing key again or is refused, and the caller gets no value either way.
REGSAM viewFlag(RegistryView view) {
    constexpr RegistryView ownView = sizeof(void*) == 8 ? RegistryView::Bits64 : RegistryView::Bits32;
    if (view == ownView) return 0;
    return view == RegistryView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

} // namespace

RegistryRead readMachineValue32(RegistryView view, const char* subkey, const char* valueName, uint32_t& data) {
    RegistryRead result;
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_QUERY_VALUE | viewFlag(view), &opened);
    if (status != ERROR_SUCCESS) {
        if (status == ERROR_FILE_NOT_FOUND) result.key = RegistryKeyOutcome::Missing;
        return result;
    }
    win32::RegistryKey key(opened);
    result.key = RegistryKeyOutcome::Opened;
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
