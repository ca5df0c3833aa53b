// win32_handle.h - ownership of the Windows handles that zynctl opens itself: one move-only
// owner, and a traits struct per kind that names its "none" value and its close call.
#pragma once

#include <windows.h>

#include <utility>

namespace zynctl {

template <typename Traits> class ScopedHandle {
public:
    using Value = typename Traits::Value;

    ScopedHandle() = default;
    explicit ScopedHandle(Value value) : value_(value) {}
    ScopedHandle(ScopedHandle&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            close();
            value_ = std::exchange(other.value_, nullptr);
        }
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { close(); }

    Value get() const { return value_; }
    explicit operator bool() const { return Traits::valid(value_); }

private:
    // The close keeps the error code of the open, which the caller may be about to read.
    void close() {
        if (*this) {
            const DWORD error = GetLastError();
            Traits::close(value_);
            SetLastError(error);
        }
        value_ = nullptr;
    }

    Value value_ = nullptr;
};

// OpenFileMapping and OpenMutex give NULL on failure, CreateFile INVALID_HANDLE_VALUE: both
// count as "none", so that no caller has to know which.
struct KernelHandleTraits {
    using Value = HANDLE;
    static bool valid(Value value) { return value != nullptr && value != INVALID_HANDLE_VALUE; }
    static void close(Value value) { CloseHandle(value); }
};

struct ServiceHandleTraits {
    using Value = SC_HANDLE;
    static bool valid(Value value) { return value != nullptr; }
    static void close(Value value) { CloseServiceHandle(value); }
};

struct RegistryKeyTraits {
    using Value = HKEY;
    static bool valid(Value value) { return value != nullptr; }
    static void close(Value value) { RegCloseKey(value); }
};

using UniqueHandle = ScopedHandle<KernelHandleTraits>;
using ServiceHandle = ScopedHandle<ServiceHandleTraits>;
using RegistryKey = ScopedHandle<RegistryKeyTraits>;

} // namespace zynctl
