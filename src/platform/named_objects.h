// named_objects.h - where the service's named objects are found. A service runs in session 0
// since Windows Vista, and its plain names live in the global namespace, which an application
// in another session reaches only as "Global\<name>". So every object is looked for under its
// plain name first, then under "Global\"; this is the one place that rule is written.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace zyn::platform {

enum class ObjectNamespace : uint8_t {
    None,   // not found (yet)
    Plain,  // under the name as given: this session's namespace, or the only one there is
    Global, // under "Global\<name>"
};

constexpr char kGlobalPrefix[] = "Global\\";
constexpr size_t kNamespacedNameSize = 64;

// "Global\<name>" or the name itself; false when it does not fit.
bool namespacedName(char (&out)[kNamespacedNameSize], const char* name, ObjectNamespace where);

// Opens the named section under its plain name, else under "Global\"; `found` says where.
Handle openSectionWhereItIs(const char* name, ObjectNamespace& found);

// The named mutex for an object of the service's. Where the section was found under "Global\"
// only: an existing mutex under the plain name, else an existing one under "Global\", else one
// created under "Global\" (or under the plain name when that creation is refused). Everywhere
// else, as always: created under the plain name, or opened there when creation is refused.
// Null when no mutex can be had; `found` says where the one returned lives.
Handle openServiceMutex(const char* name, ObjectNamespace sectionNamespace, ObjectNamespace& found);

} // namespace zyn::platform
