// process.cpp - Win32 only: platform version, the Windows directory, sleeping and the heap.
#include <windows.h>

#include "platform/platform.h"

namespace zyn::platform {

bool isNtFamily() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info; // 148 bytes
    if (!GetVersionExA(&info)) return true;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

uint32_t expandWindowsDirectory(char* out, uint32_t capacity) {
    return ExpandEnvironmentStringsA("%windir%", out, capacity);
}

uint32_t lastError() { return GetLastError(); }

void sleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

void* allocateZeroed(uint64_t bytes) {
    if (bytes > SIZE_MAX) return nullptr;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, static_cast<SIZE_T>(bytes));
}

void releaseMemory(void* block) { HeapFree(GetProcessHeap(), 0, block); }

} // namespace zyn::platform
