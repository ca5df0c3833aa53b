// loaded_library.h - the DLL of this program's bitness (TRVZYN32.dll or TRVZYN64.dll, as the build
// names it in ZYN_LIBRARY_FILE) loaded for the lifetime of an object. The test programs do not
// link the DLL's import library, so that unloading drops the last reference and the next load
// is a fresh process attach.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/scoped_win32.h"
#include "support/system_error.h"

namespace zyn::test {

constexpr char kLibraryName[] = ZYN_LIBRARY_FILE;
// The same DLL built with the critical-section lock and one-time start of systems before
// Windows Vista, which Wine's own calls would never let the tests reach.
constexpr char kFallbackSyncLibraryName[] = ZYN_FALLBACK_SYNC_LIBRARY_FILE;

class LoadedLibrary {
public:
    explicit LoadedLibrary(const char* name = kLibraryName) : module_(LoadLibraryA(name)) {
        if (!module_) throwLastError(std::string("LoadLibraryA ") + name);
    }

    HMODULE handle() const { return module_.get(); }

    // The export `name` as a pointer of the declared type; throws when the DLL lacks it.
    template <typename Function> Function* function(const char* name) const {
        FARPROC address = GetProcAddress(module_.get(), name);
        if (address == nullptr) throwLastError(std::string("GetProcAddress ") + name);
        // Through void*: the export's real type is the one the public header declares.
        return reinterpret_cast<Function*>(reinterpret_cast<void*>(address));
    }

    // Unloads now rather than at the end of the scope.
    void unload() { module_.reset(); }

private:
    win32::Module module_;
};

} // namespace zyn::test

// An export looked up under the name and with the type that trvzyn32.h gives it.
#define ZYN_EXPORT(library, name) ((library).function<decltype(name)>(#name))
