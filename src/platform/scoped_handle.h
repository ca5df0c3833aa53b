// scoped_handle.h - one move-only owner for every kind of handle the library holds; each kind
// names its null value and its close call in a traits struct.
#pragma once

#include <utility>

#include "platform/platform.h"

namespace zyn::platform {

template <typename Traits> class ScopedHandle {
public:
    using Value = typename Traits::Value;

    ScopedHandle() = default;
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
    explicit operator bool() const { return value_ != Value{}; }

    Value release() { return std::exchange(value_, Value{}); }
    // Closes the held handle exactly once and takes `value` in its place.
    void reset(Value value = Value{}) {
        Value old = std::exchange(value_, value);
        if (old != Value{}) Traits::close(old);
    }

private:
    Value value_{};
};

struct KernelHandleTraits {
    using Value = Handle;
    static void close(Value value) { closeHandle(value); }
};
struct ServiceHandleTraits {
    using Value = Handle;
    static void close(Value value) { closeServiceHandle(value); }
};
struct FileTraits {
    using Value = FileHandle;
    static void close(Value value) { closeFile(value); }
};

using KernelHandle = ScopedHandle<KernelHandleTraits>;
using ServiceHandle = ScopedHandle<ServiceHandleTraits>;
using File = ScopedHandle<FileTraits>;

// The view of a section: its address and the size that may be touched.
class ScopedView {
public:
    ScopedView() = default;
    explicit ScopedView(MappedView view) : view_(view) {}
    ScopedView(const ScopedView&) = delete;
    ScopedView& operator=(const ScopedView&) = delete;
    ScopedView(ScopedView&& other) noexcept : view_(std::exchange(other.view_, MappedView{})) {}
    ScopedView& operator=(ScopedView&& other) noexcept {
        if (this != &other) {
            reset();
            view_ = std::exchange(other.view_, MappedView{});
        }
        return *this;
    }
    ~ScopedView() { reset(); }

    uint8_t* address() const { return view_.address; }
    size_t size() const { return view_.size; }
    void reset() {
        MappedView old = std::exchange(view_, MappedView{});
        if (old.address != nullptr) unmapView(old.address);
    }

private:
    MappedView view_{};
};

} // namespace zyn::platform
