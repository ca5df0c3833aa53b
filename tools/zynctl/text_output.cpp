// text_output.cpp - tables, field blocks and hex dumps on stdout.
#include "text_output.h"

#include <algorithm>
#include <cstdio>

namespace zynctl {

namespace {

void printCell(const std::string& text, size_t width, Table::Align align, bool last) {
    const std::string padding(width - std::min(width, text.size()), ' ');
    if (align == Table::Align::Right) std::printf("%s%s", padding.c_str(), text.c_str());
    // A left-aligned last column needs no trailing blanks.
    else
        std::printf("%s%s", text.c_str(), last ? "" : padding.c_str());
    std::printf("%s", last ? "\n" : "  ");
}

} // namespace

void Table::print() const {
    std::vector<size_t> widths;
    for (const Column& column : columns_)
        widths.push_back(column.heading.size());
    for (const auto& row : rows_) {
        for (size_t i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    }
    for (size_t i = 0; i < columns_.size(); ++i)
        printCell(columns_[i].heading, widths[i], columns_[i].align, i + 1 == columns_.size());
    for (const auto& row : rows_) {
        for (size_t i = 0; i < columns_.size(); ++i)
            printCell(i < row.size() ? row[i] : std::string(), widths[i], columns_[i].align, i + 1 == columns_.size());
    }
}

void printFields(const std::vector<std::pair<std::string, std::string>>& fields) {
    size_t width = 0;
    for (const auto& field : fields)
        width = std::max(width, field.first.size() + 1);
    for (const auto& [key, value] : fields)
        std::printf("%-*s %s\n", static_cast<int>(width), (key + ":").c_str(), value.c_str());
}

std::string hexBytes(const uint8_t* bytes, size_t count) {
    std::string text;
    char pair[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, i == 0 ? "%02x" : " %02x", bytes[i]);
        text += pair;
    }
    return text;
}

std::string hexString(const uint8_t* bytes, size_t count) {
    std::string text;
    char pair[3];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

std::string hexWord(uint32_t word) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(word));
    return text;
}

void printHexDump(const uint8_t* bytes, size_t count, uint32_t firstOffset) {
    constexpr size_t kPerLine = 16;
    for (size_t line = 0; line < count; line += kPerLine) {
        const size_t n = std::min(kPerLine, count - line);
        std::string ascii;
        for (size_t i = 0; i < n; ++i)
            ascii += bytes[line + i] >= 0x20 && bytes[line + i] < 0x7F ? static_cast<char>(bytes[line + i]) : '.';
        // Offsets are those of the exchange's data, so a dump from --offset 40 starts at 40.
        std::printf("%08llx  %-47s  |%s|\n", static_cast<unsigned long long>(firstOffset + line),
                    hexBytes(bytes + line, n).c_str(), ascii.c_str());
    }
}

} // namespace zynctl
