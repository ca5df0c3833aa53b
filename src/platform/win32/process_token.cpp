// process_token.cpp - Win32 only: what this process's access token says about UAC file
// virtualisation.
#include "platform/win32/scoped_win32.h"

#include "platform/platform.h"

namespace zyn::platform {

bool fileWritesVirtualised() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
    win32::KernelHandle token(opened);
    // The class exists from Windows Vista on; an older system refuses it, and has no
    // virtualisation either.
    DWORD enabled = 0;
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenVirtualizationEnabled, &enabled, sizeof enabled, &size)) return false;
    return enabled != 0;
}

} // namespace zyn::platform
