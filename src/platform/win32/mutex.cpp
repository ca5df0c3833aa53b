// mutex.cpp - Win32 only: named mutexes and kernel handles.
#include "platform/win32/scoped_win32.h"

#include "platform/platform.h"

namespace zyn::platform {

Handle createMutex(const char* name) { return CreateMutexA(nullptr, FALSE, name); }

// SYNCHRONIZE alone would let the library wait on a mutex it then could not release, leaving
// every other process blocked on it; the open asks for the right to release as well.
Handle openMutex(const char* name) { return OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name); }

uint32_t waitForObject(Handle handle, uint32_t milliseconds) { return WaitForSingleObject(handle, milliseconds); }

bool releaseMutex(Handle handle) { return ReleaseMutex(handle) != FALSE; }

Handle duplicateHandle(Handle handle) {
    const HANDLE process = GetCurrentProcess();
    HANDLE copy = nullptr;
    return DuplicateHandle(process, handle, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS) ? copy : nullptr;
}

void closeHandle(Handle handle) { win32::closeKeepingLastError<CloseHandle>(handle); }

} // namespace zyn::platform
