// section.cpp - Win32 only: the named shared-memory section and its view.
#include "platform/win32/scoped_win32.h"

#include "platform/platform.h"

namespace zyn::platform {

Handle openSection(const char* name) { return OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name); }

MappedView mapWholeSection(Handle section) {
    MappedView view;
    win32::MappedView mapped(MapViewOfFile(section, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    if (!mapped) return view;
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(mapped.get(), &info, sizeof info) == 0) return view;
    view.address = static_cast<uint8_t*>(mapped.release());
    view.size = info.RegionSize; // the committed pages of the view: the section, rounded up to pages
    return view;
}

void unmapView(void* address) { UnmapViewOfFile(address); }

} // namespace zyn::platform
