// sockets_session.h - Windows Sockets 2.2 for the lifetime of an object, for the reference
// service and the system tests.
#pragma once

#include "platform/win32/scoped_win32.h"

namespace zyn::win32 {

// `started()` is false when WSAStartup refused.
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
