// object_names.h - the names under which the service creates its objects: as given, or all under
// "Global\" (--global-names), as a session-0 service's objects appear to an application in its
// own session since Windows Vista.
#pragma once

#include <cstdint>
#include <string>

namespace zyn::reference {

class ObjectNames {
public:
    explicit ObjectNames(bool global);

    const std::string& section() const { return section_; }
    const std::string& iniMutex() const { return iniMutex_; }
    std::string exchangeMutex(int32_t number) const;

private:
    std::string prefix_;
    std::string section_;
    std::string iniMutex_;
};

} // namespace zyn::reference
