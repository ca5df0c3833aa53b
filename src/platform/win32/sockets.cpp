// sockets.cpp - Win32 only: Windows Sockets 1.1 and the one UDP request-and-reply.
#include "platform/win32/scoped_win32.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/platform.h"

namespace zyn::platform {

bool startSockets() {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
    return LOBYTE(data.wVersion) == 1 && HIBYTE(data.wVersion) == 1;
}

UdpOutcome exchangeDatagramWithLocalHost(uint16_t port, const void* request, size_t requestSize, void* reply,
                                         size_t replyCapacity, uint32_t timeoutMs, size_t& received) {
    received = 0;
    win32::Socket udp(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!udp) return UdpOutcome::SocketFailed;

    char hostName[128] = {};
    if (gethostname(hostName, sizeof hostName) != 0) return UdpOutcome::NoHostName;
    hostent* host = gethostbyname(hostName);
    if (host == nullptr || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr)
        return UdpOutcome::NoAddress;

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    std::memcpy(&address.sin_addr, host->h_addr_list[0], sizeof address.sin_addr);
    if (connect(udp.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
        return UdpOutcome::ConnectFailed;
    }
    // Windows Sockets counts bytes in an int, which a 64-bit size_t can exceed: a request it
    // cannot count is not sent, and a reply buffer is offered only as far as it can count.
    if (requestSize > INT_MAX) return UdpOutcome::SendFailed;
    if (send(udp.get(), static_cast<const char*>(request), static_cast<int>(requestSize), 0) == SOCKET_ERROR) {
        return UdpOutcome::SendFailed;
    }

    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(udp.get(), &readable);
    timeval timeout{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
    int ready = select(0, &readable, nullptr, nullptr, &timeout);
    if (ready == 0) return UdpOutcome::TimedOut;
    if (ready == SOCKET_ERROR) return UdpOutcome::ReceiveFailed;
    const int capacity = static_cast<int>(std::min<size_t>(replyCapacity, INT_MAX));
    int length = recvfrom(udp.get(), static_cast<char*>(reply), capacity, 0, nullptr, nullptr);
    if (length == SOCKET_ERROR) return UdpOutcome::ReceiveFailed; // also a datagram longer than the buffer
    received = static_cast<size_t>(length);
    return UdpOutcome::Received;
}

} // namespace zyn::platform
