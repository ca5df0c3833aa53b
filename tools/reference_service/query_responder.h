// query_responder.h - the UDP responder: a thread that answers every exchange-list query sent to
// port 21586 with the prepared reply, until the object goes.
#pragma once

#include <cstdint>
#include <optional>
#include <thread>
#include <vector>

#include "sockets_session.h"

namespace zyn::reference {

class QueryResponder {
public:
    QueryResponder() = default;
    QueryResponder(const QueryResponder&) = delete;
    QueryResponder& operator=(const QueryResponder&) = delete;
    ~QueryResponder() { stop(); }

    // Binds the port on every local address and starts answering with `reply` (nothing for a
    // silent service). Returns 0 or the system error code.
    DWORD start(std::optional<std::vector<uint8_t>> reply);
    void stop();

private:
    void serve();
    void answerPending();

    win32::SocketsSession sockets_;
    win32::Socket socket_;
    win32::KernelHandle readable_; // signalled by Windows Sockets when a datagram waits
    win32::KernelHandle stopping_;
    std::optional<std::vector<uint8_t>> reply_;
    std::thread thread_;
};

} // namespace zyn::reference
