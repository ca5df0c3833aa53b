// dll_main.cpp - Win32 only: the library's entry point, which the loader calls on process
// attach and detach. It returns TRUE for every reason.
#include <windows.h>

#include "core/library_state.h"
#include "core/lifecycle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) noexcept {
    switch (reason) {
    case DLL_PROCESS_ATTACH: zyn::core::processAttach(zyn::core::libraryState()); break;
    case DLL_PROCESS_DETACH: zyn::core::processDetach(zyn::core::libraryState()); break;
    default: break; // thread attach and detach, and any other reason: nothing
    }
    return TRUE;
}
