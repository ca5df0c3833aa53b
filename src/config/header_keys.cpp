// header_keys.cpp - the header key lookup and the effect of each key line.
#include "config/header_keys.h"

#include <cstring>

#include "config/text.h"

namespace zyn::config {

namespace {
constexpr size_t kMaxKeyLength = 127; // a read piece never holds more
}

int headerKeyCode(std::string_view upperKey) {
    if (upperKey.empty()) return kKeyNone;
    size_t at = kKeyTable.find(upperKey);
    if (at == std::string_view::npos || at == 0) return kKeyNone;
    int64_t code = hexadecimalValue(subview(kKeyTable, at - 1));
    return code < 0 ? kKeyNone : static_cast<int>(code);
}

HeaderLine applyHeaderLine(ServiceParams& params, std::string_view line) {
    std::string_view rest = line;
    std::string_view key = nextToken(rest, kHeaderSeparators);
    if (key.empty() || key.size() > kMaxKeyLength) return HeaderLine::Continue;
    char upper[kMaxKeyLength + 1];
    std::memcpy(upper, key.data(), key.size());
    upper[key.size()] = '\0';
    upperAscii(upper);

    int code = headerKeyCode(std::string_view(upper, key.size()));
    if (code == kKeyEndOfHeader) return HeaderLine::EndOfHeader;
    std::string_view value = nextToken(rest, kHeaderSeparators);
    if (value.empty()) return HeaderLine::Continue;
    switch (code) {
    case kKeyMulticast:
        // Excess entries, and texts that would not fit their 17 bytes, are passed over rather than cut.
        if (params.multicastCount < kMulticastEntries &&
            copyToField(params.multicast[params.multicastCount], kMulticastTextSize, value)) {
            ++params.multicastCount;
        }
        break;
    case kKeyMaxExchangeSize: params.maxExchangeSize = decimalToInt32(value); break;
    case kKeyMaxStaticExchanges: params.maxStaticExchanges = decimalToInt32(value); break;
    case kKeyMaxDynamicExchanges: params.maxDynamicExchanges = static_cast<uint32_t>(decimalToInt32(value)); break;
    case kKeyExchMap: params.exchMap = decimalToInt32(value); break;
    default: break;
    }
    return HeaderLine::Continue;
}

bool isKeyLineExactCase(std::string_view line) {
    std::string_view rest = line;
    std::string_view key = nextToken(rest, kHeaderSeparators);
    return !key.empty() && kKeyTable.find(key) != std::string_view::npos;
}

} // namespace zyn::config
