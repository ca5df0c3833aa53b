// scoped_handle.h - one move-only owner for every kind of handle: each kind names its type, its
// "none" values and its close call in a traits struct, so that a handle is closed exactly once
// on every path. The traits of the handles the portable library holds follow; the Win32 kinds
// (HANDLE, SC_HANDLE, HKEY, SOCKET, views, modules) are in win32/scoped_win32.h.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/platform.h"

namespace zyn::platform {

template <typename Traits> class ScopedHandle {
public:
    using Value = typename Traits::Value;

    ScopedHandle() noexcept = default;
    explicit ScopedHandle(Value value) : value_(value) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : value_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~ScopedHandle() { reset(); }

    Value get() const { return value_; }
    bool valid() const { return Traits::valid(value_); }
    explicit operator bool() const { return valid(); }

    Value release() { return std::exchange(value_, Traits::invalid()); }
    // Closes the held handle exactly once and takes `value` in its place.
    void reset(Value value = Traits::invalid()) {
        Value old = std::exchange(value_, value);
        if (Traits::valid(old)) Traits::close(old);
    }

private:
    Value value_ = Traits::invalid();
};

// The traits of a handle kind whose "none" is the null value.
template <typename T, auto Close> struct NullableHandleTraits {
    using Value = T;
    static Value invalid() { return nullptr; }
    static bool valid(Value value) { return value != nullptr; }
    static void close(Value value) { Close(value); }
};

// The views the seam maps: "none" has no address.
struct MappedViewTraits {
    using Value = MappedView;
    static Value invalid() { return {}; }
    static bool valid(Value value) { return value.address != nullptr; }
    static void close(Value value) { unmapView(value.address); }
};

// The seam's own close calls keep the caller's last error intact.
using KernelHandle = ScopedHandle<NullableHandleTraits<Handle, closeHandle>>;
using ServiceHandle = ScopedHandle<NullableHandleTraits<Handle, closeServiceHandle>>;
using File = ScopedHandle<NullableHandleTraits<FileHandle, closeFile>>;

// The view of a section: its address and the size that may be touched.
class ScopedView : public ScopedHandle<MappedViewTraits> {
public:
    using ScopedHandle::ScopedHandle;
    uint8_t* address() const { return get().address; }
    size_t size() const { return get().size; }
};

} // namespace zyn::platform
