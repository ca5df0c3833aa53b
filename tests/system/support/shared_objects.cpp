// shared_objects.cpp - opening the shared section and mutexes from the test program.
#include "support/shared_objects.h"

#include <cstdio>
#include <string>

#include "support/system_error.h"

namespace zyn::test {

bool namedMutexExists(const char* name) {
    win32::KernelHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, name));
    if (!mutex && GetLastError() != ERROR_FILE_NOT_FOUND) throwLastError(std::string("OpenMutexA ") + name);
    return static_cast<bool>(mutex);
}

bool namedSectionExists(const char* name) {
    win32::KernelHandle section(OpenFileMappingA(FILE_MAP_READ, FALSE, name));
    if (!section && GetLastError() != ERROR_FILE_NOT_FOUND) throwLastError(std::string("OpenFileMappingA ") + name);
    return static_cast<bool>(section);
}

std::optional<SectionView> SectionView::open(const char* name) {
    SectionView view;
    view.section_.reset(OpenFileMappingA(FILE_MAP_READ, FALSE, name));
    if (!view.section_) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::nullopt;
        throwLastError(std::string("OpenFileMappingA ") + name);
    }
    view.view_.reset(MapViewOfFile(view.section_.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view.view_) throwLastError("MapViewOfFile");
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(view.view_.get(), &info, sizeof info) == 0) throwLastError("VirtualQuery");
    view.size_ = info.RegionSize;
    return view;
}

std::string exchangeMutexName(int32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "ZYN_MAP_1-%05d", static_cast<int>(number));
    return name;
}

win32::KernelHandle openExchangeMutex(int32_t number) {
    const std::string name = exchangeMutexName(number);
    win32::KernelHandle mutex(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
    if (!mutex) throwLastError("OpenMutexA " + name);
    return mutex;
}

} // namespace zyn::test
