// written_form.cpp - formatting of definition and header lines.
#include "config/written_form.h"

#include <cstdio>

namespace zyn::config {

namespace {
size_t appended(int written, size_t capacity) {
    return written < 0 ? 0 : static_cast<size_t>(written) < capacity ? static_cast<size_t>(written) : capacity - 1;
}
} // namespace

size_t formatDefinitionLine(char (&out)[kWrittenLineCapacity], const ExchangeDef& definition) {
    // The size is written unsigned, as it is read: any size the checks let through reads back.
    size_t length =
        appended(std::snprintf(out, sizeof out, "\n%d\t%u\t%d\t%.31s\t%.31s\t", definition.exchangeNumber,
                               definition.size, definition.thirdNumber, definition.producer, definition.destination),
                 sizeof out);
    auto add = [&](const char* format, int value) {
        length += appended(std::snprintf(out + length, sizeof out - length, format, value), sizeof out - length);
    };
    if ((definition.flags & ZYN_FLAG_T) != 0) add("T,", 0);
    if ((definition.flags & ZYN_FLAG_MUTEX) != 0) add("M,", 0);
    if ((definition.flags & ZYN_FLAG_S) != 0) add("S,", 0);
    if (definition.pValue != 0) add("P=%d,", definition.pValue);
    add("E=%d", definition.exchangeId);
    return length;
}

size_t formatHeaderNumbers(char (&out)[kWrittenLineCapacity], const ServiceParams& params) {
    return appended(std::snprintf(out, sizeof out,
                                  "\nMAX_EXCHANGE_SIZE = %d\nMAX_STATIC_EXCHANGES = %u\nMAX_DYNAMIC_EXCHANGES = %u\n"
                                  "EXCH_MAP = %d\n",
                                  params.maxExchangeSize, static_cast<unsigned>(params.maxStaticExchanges),
                                  params.maxDynamicExchanges, params.exchMap),
                    sizeof out);
}

size_t formatMulticastLine(char (&out)[kWrittenLineCapacity], const char* address) {
    return appended(std::snprintf(out, sizeof out, "\nMULTICAST = %.16s", address), sizeof out);
}

} // namespace zyn::config
