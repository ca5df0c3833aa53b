// object_security.h - the security descriptors the service gives its section and its mutexes:
// built once at start, per --security, and handed to every create call.
#pragma once

#include "options.h"
#include "platform/win32/scoped_win32.h"

namespace zyn::reference {

// What ConvertStringSecurityDescriptorToSecurityDescriptorA allocates, freed with LocalFree.
using LocalMemory = platform::ScopedHandle<win32::Win32HandleTraits<PSECURITY_DESCRIPTOR, LocalFree>>;

class ObjectSecurity {
public:
    ObjectSecurity() = default;
    // The attributes point into this object: it stays where it was built.
    ObjectSecurity(const ObjectSecurity&) = delete;
    ObjectSecurity& operator=(const ObjectSecurity&) = delete;

    // Builds both descriptors of the mode. Returns 0 or the system error code.
    DWORD build(SecurityMode mode);

    // For CreateFileMappingA and CreateMutexA; null with SecurityMode::Default.
    SECURITY_ATTRIBUTES* section() { return sectionDescriptor_ ? &section_ : nullptr; }
    SECURITY_ATTRIBUTES* mutexes() { return mutexDescriptor_ ? &mutexes_ : nullptr; }

private:
    LocalMemory sectionDescriptor_;
    LocalMemory mutexDescriptor_;
    SECURITY_ATTRIBUTES section_{};
    SECURITY_ATTRIBUTES mutexes_{};
};

} // namespace zyn::reference
