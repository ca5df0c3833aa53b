// dll_main.cpp - Win32 only: the library's entry point, which the loader calls on process
// attach and detach. It returns TRUE for every reason.
#include <windows.h>

#include "core/library_state.h"
#include "core/lifecycle.h"

namespace __gnu_cxx {
// The C++ runtime linked into the DLL allocates its emergency exception buffer when the DLL's
// static objects are built and never frees it by itself: without this, every FreeLibrary leaks it.
void __freeres() noexcept;
} // namespace __gnu_cxx

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) noexcept {
    switch (reason) {
    case DLL_PROCESS_ATTACH: zyn::core::processAttach(zyn::core::libraryState()); break;
    case DLL_PROCESS_DETACH:
        zyn::core::processDetach(zyn::core::libraryState());
        // Only on FreeLibrary: at process exit the memory goes with the process.
        if (reserved == nullptr) __gnu_cxx::__freeres();
        break;
    default: break; // thread attach and detach, and any other reason: nothing
    }
    return TRUE;
}
