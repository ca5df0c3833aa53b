// exchange_client_protocol.h - the commands of zyn_exchange_client.exe, what it prints and its
// exit codes, shared by the client and the tests that start it. Bytes cross the command line
// and the pipe as hexadecimal text, two digits a byte.
//
//   get NAME OFFSET COUNT   ZYN_GetExchange of COUNT bytes from OFFSET; prints one line: the
//                           result code, and on success statusClear, the 32 header bytes and
//                           the data bytes, separated by spaces
//   put NAME OFFSET HEADER DATA
//                           ZYN_PutExchange of the bytes DATA at OFFSET, with the 32 bytes
//                           HEADER in the record's header; prints the result code
//   settings                ZYN_ThirdPartyAppsAllowed and ZYN_GetMaxExchangeSize; prints their
//                           two results on one line, separated by a space
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace zyn::exchange_client {

constexpr int kClientOk = 0;    // the call was made; its result is on stdout
constexpr int kClientUsage = 2; // bad arguments, or the library could not be loaded

inline std::string hexText(const uint8_t* bytes, size_t count) {
    std::string text;
    char two[3];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(two, sizeof two, "%02x", bytes[i]);
        text += two;
    }
    return text;
}

inline std::string hexText(const std::vector<uint8_t>& bytes) { return hexText(bytes.data(), bytes.size()); }

// The bytes of `text`; false when it is not an even number of hexadecimal digits.
inline bool bytesFromHex(std::string_view text, std::vector<uint8_t>& bytes) {
    const auto digit = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    if (text.size() % 2 != 0) return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = digit(text[i]);
        const int low = digit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return true;
}

} // namespace zyn::exchange_client
