// scoped_win32.h - one move-only owner for the Windows handles that the reference service and the
// system tests hold. Each kind names its invalid value and its close call in a traits struct, so
// that a handle is closed exactly once on every path, including early returns and exceptions.
#pragma once

// Built with WIN32_LEAN_AND_MEAN (see the CMake target), so that <windows.h> leaves out the old
// <winsock.h> and <winsock2.h> may come in any order; <winsvc.h> is then named explicitly.
#include <winsock2.h>
#include <windows.h>
#include <winsvc.h>

#include <utility>

namespace zyn::win32 {

template <typename Traits> class Scoped {
public:
    using Value = typename Traits::Value;

    Scoped() = default;
    explicit Scoped(Value value) : value_(value) {}
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : value_(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~Scoped() { reset(); }

    Value get() const { return value_; }
    bool valid() const { return Traits::valid(value_); }
    explicit operator bool() const { return valid(); }

    Value release() { return std::exchange(value_, Traits::invalid()); }
    void reset(Value value = Traits::invalid()) {
        Value old = std::exchange(value_, value);
        if (Traits::valid(old)) {
            // A close must not disturb the error code that the caller is about to read.
            DWORD error = GetLastError();
            Traits::close(old);
            SetLastError(error);
        }
    }

private:
    Value value_ = Traits::invalid();
};

// Kernel objects: some calls give NULL on failure, others INVALID_HANDLE_VALUE; both are "none".
struct KernelHandleTraits {
    using Value = HANDLE;
    static Value invalid() { return nullptr; }
    static bool valid(Value value) { return value != nullptr && value != INVALID_HANDLE_VALUE; }
    static void close(Value value) { CloseHandle(value); }
};

struct ServiceHandleTraits {
    using Value = SC_HANDLE;
    static Value invalid() { return nullptr; }
    static bool valid(Value value) { return value != nullptr; }
    static void close(Value value) { CloseServiceHandle(value); }
};

struct MappedViewTraits {
    using Value = void*;
    static Value invalid() { return nullptr; }
    static bool valid(Value value) { return value != nullptr; }
    static void close(Value value) { UnmapViewOfFile(value); }
};

struct SocketTraits {
    using Value = SOCKET;
    static Value invalid() { return INVALID_SOCKET; }
    static bool valid(Value value) { return value != INVALID_SOCKET; }
    static void close(Value value) { closesocket(value); }
};

struct ModuleTraits {
    using Value = HMODULE;
    static Value invalid() { return nullptr; }
    static bool valid(Value value) { return value != nullptr; }
    static void close(Value value) { FreeLibrary(value); }
};

using KernelHandle = Scoped<KernelHandleTraits>;
using ServiceHandle = Scoped<ServiceHandleTraits>;
using MappedView = Scoped<MappedViewTraits>;
using Socket = Scoped<SocketTraits>;
using Module = Scoped<ModuleTraits>;

} // namespace zyn::win32

namespace zyn::win32 {

// Windows Sockets for the lifetime of the object; `started()` is false when WSAStartup refused.
class SocketsSession {
public:
    SocketsSession() {
        WSADATA data{};
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    SocketsSession(const SocketsSession&) = delete;
    SocketsSession& operator=(const SocketsSession&) = delete;
    ~SocketsSession() {
        if (started_) WSACleanup();
    }
    bool started() const { return started_; }

private:
    bool started_ = false;
};

} // namespace zyn::win32
