// scoped_win32.h - Win32 only: the traits of the Windows handles that the platform's Win32
// files, the reference service and the system tests hold, over the one owner template.
#pragma once

// <winsock2.h> before <windows.h>: with WIN32_LEAN_AND_MEAN unset, <windows.h> would bring in
// the old <winsock.h>, which clashes with it.
#include <winsock2.h>
#include <windows.h>
#include <winsvc.h>

#include "platform/scoped_handle.h"

namespace zyn::win32 {

// A close must not disturb the error code that the caller is about to read.
template <auto Close, typename T> void closeKeepingLastError(T value) {
    DWORD error = GetLastError();
    Close(value);
    SetLastError(error);
}

template <typename T, auto Close>
using Win32HandleTraits = platform::NullableHandleTraits<T, closeKeepingLastError<Close, T>>;

// Kernel objects: some calls give NULL on failure, others INVALID_HANDLE_VALUE; both are "none".
struct KernelHandleTraits : Win32HandleTraits<HANDLE, CloseHandle> {
    static bool valid(Value value) { return value != nullptr && value != INVALID_HANDLE_VALUE; }
};

struct SocketTraits {
    using Value = SOCKET;
    static Value invalid() { return INVALID_SOCKET; }
    static bool valid(Value value) { return value != INVALID_SOCKET; }
    static void close(Value value) { closeKeepingLastError<closesocket>(value); }
};

using KernelHandle = platform::ScopedHandle<KernelHandleTraits>;
using ServiceHandle = platform::ScopedHandle<Win32HandleTraits<SC_HANDLE, CloseServiceHandle>>;
using RegistryKey = platform::ScopedHandle<Win32HandleTraits<HKEY, RegCloseKey>>;
using MappedView = platform::ScopedHandle<Win32HandleTraits<void*, UnmapViewOfFile>>;
using Module = platform::ScopedHandle<Win32HandleTraits<HMODULE, FreeLibrary>>;
using Socket = platform::ScopedHandle<SocketTraits>;

} // namespace zyn::win32
