// sockets.cpp - Win32 only: Windows Sockets 1.1 and the one UDP request-and-reply.
#include <winsock2.h>

#include <cstring>

#include "platform/platform.h"

namespace zyn::platform {

namespace {
struct SocketCloser {
    SOCKET socket;
    ~SocketCloser() {
        if (socket != INVALID_SOCKET) closesocket(socket);
    }
};
} // namespace

bool startSockets() {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
    return LOBYTE(data.wVersion) == 1 && HIBYTE(data.wVersion) == 1;
}

UdpOutcome exchangeDatagramWithLocalHost(uint16_t port, const void* request, size_t requestSize, void* reply,
                                         size_t replyCapacity, uint32_t timeoutMs, size_t& received) {
    received = 0;
    SocketCloser guard{socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)};
    if (guard.socket == INVALID_SOCKET) return UdpOutcome::SocketFailed;

    char hostName[128] = {};
    if (gethostname(hostName, sizeof hostName) != 0) return UdpOutcome::NoHostName;
    hostent* host = gethostbyname(hostName);
    if (host == nullptr || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr)
        return UdpOutcome::NoAddress;

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    std::memcpy(&address.sin_addr, host->h_addr_list[0], sizeof address.sin_addr);
    if (connect(guard.socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
        return UdpOutcome::ConnectFailed;
    }
    if (send(guard.socket, static_cast<const char*>(request), static_cast<int>(requestSize), 0) == SOCKET_ERROR) {
        return UdpOutcome::SendFailed;
    }

    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(guard.socket, &readable);
    timeval timeout{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
    int ready = select(0, &readable, nullptr, nullptr, &timeout);
    if (ready == 0) return UdpOutcome::TimedOut;
    if (ready == SOCKET_ERROR) return UdpOutcome::ReceiveFailed;
    int length =
        recvfrom(guard.socket, static_cast<char*>(reply), static_cast<int>(replyCapacity), 0, nullptr, nullptr);
    if (length == SOCKET_ERROR) return UdpOutcome::ReceiveFailed; // also a datagram longer than the buffer
    received = static_cast<size_t>(length);
    return UdpOutcome::Received;
}

} // namespace zyn::platform
