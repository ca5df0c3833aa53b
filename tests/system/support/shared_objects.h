// shared_objects.h - the named objects that the library and the service share, as the test
// program itself sees them: the section "ZYN_MAP_1" and the named mutexes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/win32/scoped_win32.h"

namespace zyn::test {

bool namedMutexExists(const char* name);
bool namedSectionExists(const char* name);

// A read-only view of a named section.
class SectionView {
public:
    // Nothing when the section does not exist.
    static std::optional<SectionView> open(const char* name);

    const uint8_t* data() const { return static_cast<const uint8_t*>(view_.get()); }
    // The bytes of the view that may be read: the section rounded up to whole pages.
    size_t size() const { return size_; }

private:
    win32::KernelHandle section_;
    win32::MappedView view_;
    size_t size_ = 0;
};

// The exchange mutex with the given number, "ZYN_MAP_1-%05d", opened for waiting and releasing.
win32::KernelHandle openExchangeMutex(int32_t number);
std::string exchangeMutexName(int32_t number);

} // namespace zyn::test
