// query_responder.cpp - answering the exchange-list query over UDP.
#include "query_responder.h"

#include <algorithm>

#include "query_protocol.h"

namespace zyn::reference {

DWORD QueryResponder::start(std::optional<std::vector<uint8_t>> reply) {
    if (!sockets_.started()) return ERROR_NOT_READY;
    reply_ = std::move(reply);
    socket_.reset(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket_) return static_cast<DWORD>(WSAGetLastError());
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(service::kServiceQueryPort);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
        return static_cast<DWORD>(WSAGetLastError());
    }
    // An event rather than a blocking receive, so that stopping never depends on how the system
    // treats a socket closed under a waiting thread.
    readable_.reset(WSACreateEvent());
    stopping_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!readable_ || !stopping_) return GetLastError();
    if (WSAEventSelect(socket_.get(), readable_.get(), FD_READ) == SOCKET_ERROR) {
        return static_cast<DWORD>(WSAGetLastError());
    }
    thread_ = std::thread([this] { serve(); });
    return 0;
}

void QueryResponder::stop() {
    if (thread_.joinable()) {
        SetEvent(stopping_.get());
        thread_.join();
    }
    socket_.reset();
}

void QueryResponder::serve() {
    const HANDLE events[] = {stopping_.get(), readable_.get()};
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        WSAResetEvent(readable_.get());
        answerPending();
    }
}

// Drains every datagram that waits: the socket is non-blocking under WSAEventSelect.
void QueryResponder::answerPending() {
    for (;;) {
        uint8_t request[64];
        sockaddr_in sender{};
        int senderSize = sizeof sender;
        int received = recvfrom(socket_.get(), reinterpret_cast<char*>(request), sizeof request, 0,
                                reinterpret_cast<sockaddr*>(&sender), &senderSize);
        if (received == SOCKET_ERROR) {
            int error = WSAGetLastError();
            // A reply that found no receiver comes back as a reset, an over-long request as
            // WSAEMSGSIZE: neither ends the service's answering.
            if (error == WSAECONNRESET || error == WSAEMSGSIZE) continue;
            return;
        }
        const bool isQuery = received == static_cast<int>(service::kQueryRequest.size()) &&
                             std::equal(service::kQueryRequest.begin(), service::kQueryRequest.end(), request);
        if (!isQuery || !reply_) continue;
        sendto(socket_.get(), reinterpret_cast<const char*>(reply_->data()), static_cast<int>(reply_->size()), 0,
               reinterpret_cast<const sockaddr*>(&sender), senderSize);
    }
}

} // namespace zyn::reference
