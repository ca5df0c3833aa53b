// object_security.cpp - the descriptors, written in SDDL. On Windows the service runs as
// LocalSystem and its clients as standard users: what a descriptor grants beyond SYSTEM is what
// a client gets.
#include "object_security.h"

#include <sddl.h>

#include <cstdio>
#include <optional>

namespace zyn::reference {

namespace {

// What the library uses: a view to read and write, a mutex to wait on and release.
constexpr DWORD kClientSectionAccess = FILE_MAP_READ | FILE_MAP_WRITE;
constexpr DWORD kClientMutexAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

struct Grants {
    const char* fullControl; // ACEs granting GA, which each object type maps to its own full rights
    DWORD sectionAccess;
    DWORD mutexAccess;
};

// Nothing for SecurityMode::Default, whose objects get the creator's default security.
std::optional<Grants> grantsOf(SecurityMode mode) {
    switch (mode) {
    case SecurityMode::Service: return Grants{"(A;;GA;;;SY)(A;;GA;;;BA)", kClientSectionAccess, kClientMutexAccess};
    case SecurityMode::SystemOnly: return Grants{"(A;;GA;;;SY)", kClientSectionAccess, kClientMutexAccess};
    case SecurityMode::ReadOnly: return Grants{"(A;;GA;;;SY)", FILE_MAP_READ, SYNCHRONIZE};
    case SecurityMode::Default: break;
    }
    return std::nullopt;
}

// A protected DACL: the full-control ACEs, then the clients' rights.
// Clients are Authenticated Users (AU): every signed-in account, and a group Wine's token holds.
DWORD buildDescriptor(const char* fullControl, DWORD clientAccess, LocalMemory& descriptor,
                      SECURITY_ATTRIBUTES& attributes) {
    char sddl[128];
    std::snprintf(sddl, sizeof sddl, "D:P%s(A;;0x%lX;;;AU)", fullControl, static_cast<unsigned long>(clientAccess));
    PSECURITY_DESCRIPTOR built = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &built, nullptr))
        return GetLastError();
    descriptor.reset(built);
    attributes = {sizeof attributes, built, FALSE};
    return 0;
}

} // namespace

DWORD ObjectSecurity::build(SecurityMode mode) {
    const std::optional<Grants> grants = grantsOf(mode);
    if (!grants) return 0;
    if (DWORD error = buildDescriptor(grants->fullControl, grants->sectionAccess, sectionDescriptor_, section_))
        return error;
    return buildDescriptor(grants->fullControl, grants->mutexAccess, mutexDescriptor_, mutexes_);
}

} // namespace zyn::reference
