// definition_line.cpp - fields, ranges and options of an exchange definition line.
#include "config/definition_line.h"

#include <cstring>

#include "config/text.h"

namespace zyn::config {

DefinitionLineKind classifyDefinitionLine(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && isCSpace(line[i]))
        ++i;
    if (i == line.size()) return DefinitionLineKind::Ignored;
    if (line[i] == '#') return DefinitionLineKind::Comment;
    return line[i] >= '0' && line[i] <= '9' ? DefinitionLineKind::Counted : DefinitionLineKind::Ignored;
}

namespace {

bool copyUpperText(char (&field)[ZYN_TEXT_FIELD_SIZE], std::string_view text) {
    if (text.size() > kMaxFieldText || !copyToField(field, sizeof field, text)) return false;
    upperAscii(field);
    return true;
}

// The value of an E or P option: the rest of the token after its letter, spaces and '='.
// Empty means the options of the line end here.
std::string_view optionValueText(std::string_view token) {
    size_t i = 1;
    while (i < token.size() && (token[i] == ' ' || token[i] == '='))
        ++i;
    return subview(token, i);
}

bool fitsInt32(int64_t value) { return value >= INT32_MIN && value <= INT32_MAX; }

} // namespace

bool parseDefinitionLine(std::string_view line, DefinitionLimits limits, ExchangeDef& out) {
    ExchangeDef record;
    std::memset(&record, 0, sizeof record);
    std::string_view rest = line;

    std::string_view field = nextToken(rest, kFieldSeparators);
    if (field.empty()) return false;
    int64_t number = decimalValue(field);
    if (number < 1 || number > limits.maxStaticExchanges) return false;

    field = nextToken(rest, kFieldSeparators);
    if (field.empty()) return false;
    int64_t size = decimalValue(field);
    // The size is an unsigned quantity: a negative or oversized value never passes.
    if (size < 1 || size > static_cast<int64_t>(static_cast<uint32_t>(limits.maxExchangeSize))) return false;

    field = nextToken(rest, kFieldSeparators);
    if (field.empty()) return false;
    int64_t third = decimalValue(field);
    if (third < 1 || third > kMaxThirdNumber) return false;

    std::string_view producer = nextToken(rest, kFieldSeparators);
    std::string_view destination = nextToken(rest, kFieldSeparators);
    if (producer.empty() || destination.empty()) return false;
    if (!copyUpperText(record.producer, producer) || !copyUpperText(record.destination, destination)) return false;

    record.exchangeNumber = static_cast<int32_t>(number);
    record.size = static_cast<uint32_t>(size);
    record.thirdNumber = static_cast<int32_t>(third);
    record.exchangeId = record.exchangeNumber;
    record.pValue = 0;
    record.flags = ZYN_FLAG_MUTEX;

    for (std::string_view option = nextToken(rest, kOptionSeparators); !option.empty();
         option = nextToken(rest, kOptionSeparators)) {
        char letter = option.front();
        if (letter == 'E' || letter == 'P') {
            std::string_view valueText = optionValueText(option);
            if (valueText.empty()) break; // a bare E or P ends the options of this line
            int64_t value = decimalValue(valueText);
            // No 32-bit field can hold it: treated like any other out-of-range number.
            if (!fitsInt32(value)) return false;
            (letter == 'E' ? record.exchangeId : record.pValue) = static_cast<int32_t>(value);
        } else if (letter == 'S') {
            record.flags |= ZYN_FLAG_S;
        } else if (letter == 'T') {
            record.flags |= ZYN_FLAG_T;
        } // 'M' and every other letter: no effect
    }
    out = record;
    return true;
}

} // namespace zyn::config
