// udp_query.cpp - one request, one reply, on a socket of its own.
#include "support/udp_query.h"

#include "query_protocol.h"
#include "sockets_session.h"
#include "support/system_error.h"

namespace zyn::test {

std::optional<std::vector<uint8_t>> queryServiceOverUdp(uint32_t timeoutMs) {
    win32::SocketsSession sockets;
    if (!sockets.started()) throw SystemError("WSAStartup", static_cast<DWORD>(WSAGetLastError()));
    win32::Socket socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket) throw SystemError("socket", static_cast<DWORD>(WSAGetLastError()));
    DWORD timeout = timeoutMs;
    setsockopt(socket.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);

    sockaddr_in service{};
    service.sin_family = AF_INET;
    service.sin_port = htons(zyn::service::kServiceQueryPort);
    service.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto& request = zyn::service::kQueryRequest;
    if (sendto(socket.get(), reinterpret_cast<const char*>(request.data()), static_cast<int>(request.size()), 0,
               reinterpret_cast<const sockaddr*>(&service), sizeof service) == SOCKET_ERROR) {
        throw SystemError("sendto", static_cast<DWORD>(WSAGetLastError()));
    }
    std::vector<uint8_t> reply(2048);
    int received = recv(socket.get(), reinterpret_cast<char*>(reply.data()), static_cast<int>(reply.size()), 0);
    if (received == SOCKET_ERROR) {
        int error = WSAGetLastError();
        if (error == WSAETIMEDOUT) return std::nullopt;
        throw SystemError("recv", static_cast<DWORD>(error));
    }
    reply.resize(static_cast<size_t>(received));
    return reply;
}

} // namespace zyn::test
