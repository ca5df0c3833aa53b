// dll_main.cpp - Win32 only: the library's entry point, which the loader calls under its loader
// lock. It does no work that could wait or load: the state is filled by the first call that
// needs it. It returns TRUE for every reason.
#include <windows.h>

#include "core/library_state.h"
#include "core/lifecycle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) noexcept {
    // A process that is ending releases nothing: its other threads are gone, perhaps in the
    // middle of a call, and the system takes back every handle and all memory.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) zyn::core::processDetach(zyn::core::libraryState());
    return TRUE;
}
