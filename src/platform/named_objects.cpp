// named_objects.cpp - the plain name first, then "Global\".
#include "platform/named_objects.h"

#include <cstring>
#include <initializer_list>

namespace zyn::platform {

bool namespacedName(char (&out)[kNamespacedNameSize], const char* name, ObjectNamespace where) {
    const char* prefix = where == ObjectNamespace::Global ? kGlobalPrefix : "";
    const size_t prefixLength = std::strlen(prefix);
    const size_t nameLength = std::strlen(name);
    if (prefixLength + nameLength + 1 > sizeof out) return false;
    std::memcpy(out, prefix, prefixLength);
    std::memcpy(out + prefixLength, name, nameLength + 1);
    return true;
}

namespace {

using OpenCall = Handle (*)(const char*);

Handle openIn(OpenCall open, const char* name, ObjectNamespace where) {
    char full[kNamespacedNameSize];
    return namespacedName(full, name, where) ? open(full) : nullptr;
}

// Tries the plain name, then "Global\"; `found` names the namespace of the handle returned.
Handle openWhereItIs(OpenCall open, const char* name, ObjectNamespace& found) {
    for (ObjectNamespace where : {ObjectNamespace::Plain, ObjectNamespace::Global}) {
        if (Handle handle = openIn(open, name, where)) {
            found = where;
            return handle;
        }
    }
    found = ObjectNamespace::None;
    return nullptr;
}

Handle found(Handle handle, ObjectNamespace where, ObjectNamespace& out) {
    out = handle != nullptr ? where : ObjectNamespace::None;
    return handle;
}

} // namespace

Handle openSectionWhereItIs(const char* name, ObjectNamespace& where) {
    return openWhereItIs(openSection, name, where);
}

Handle openServiceMutex(const char* name, ObjectNamespace sectionNamespace, ObjectNamespace& where) {
    if (sectionNamespace != ObjectNamespace::Global) {
        Handle created = createMutex(name);
        return found(created != nullptr ? created : openMutex(name), ObjectNamespace::Plain, where);
    }
    if (Handle existing = openWhereItIs(openMutex, name, where)) return existing;
    // Creating a mutex in the global namespace needs no privilege, but a policy may refuse it.
    if (Handle created = openIn(createMutex, name, ObjectNamespace::Global))
        return found(created, ObjectNamespace::Global, where);
    return found(createMutex(name), ObjectNamespace::Plain, where);
}

} // namespace zyn::platform
