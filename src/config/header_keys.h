// header_keys.h - recognising the key lines of zyn.ini's header.
#pragma once

#include <string_view>

#include "config/service_params.h"

namespace zyn::config {

// The key table. A key is found by its first occurrence in this text, and its code is the
// hexadecimal number that starts one character before that occurrence, so "5EXCH_MAP" reads 0x5E
// and "0CONSUMEALL" reads 0x0C.
constexpr std::string_view kKeyTable = " 0CONSUMEALL 1MULTICAST 2MAX_EXCHANGE_SIZE 3MAX_STATIC_EXCHANGES "
                                       "4MAX_DYNAMIC_EXCHANGES 5EXCH_MAP 6[EXCHANGE_DEFS]";
constexpr std::string_view kHeaderSeparators = " =:\t\n";
constexpr std::string_view kDefinitionsMarker = "[EXCHANGE_DEFS]";

enum HeaderKeyCode : int {
    kKeyNone = -1,
    kKeyMulticast = 0x01,
    kKeyMaxExchangeSize = 0x02,
    kKeyMaxStaticExchanges = 0x03,
    kKeyMaxDynamicExchanges = 0x04,
    kKeyEndOfHeader = 0x06,
    kKeyConsumeAll = 0x0C,
    kKeyExchMap = 0x5E,
};

// The code an upper-case key selects, or kKeyNone when it is not in the table or no code can be read.
int headerKeyCode(std::string_view upperKey);

enum class HeaderLine { Continue, EndOfHeader };

// Interprets one line of the header and applies its effect to params. A MULTICAST value longer
// than 16 characters, or one beyond the 32nd, is passed over.
HeaderLine applyHeaderLine(ServiceParams& params, std::string_view line);

// True when the line's first token occurs in the key table as written (exact case): the test by
// which the header's rewrite finds the first key line.
bool isKeyLineExactCase(std::string_view line);

} // namespace zyn::config
