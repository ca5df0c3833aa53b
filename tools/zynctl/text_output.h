// text_output.h - the forms of zynctl's text output that several commands share: aligned
// tables, "key: value" blocks, hex.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zynctl {

class Table {
public:
    enum class Align { Left, Right };
    struct Column {
        std::string heading;
        Align align;
    };

    explicit Table(std::vector<Column> columns) : columns_(std::move(columns)) {}
    void addRow(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }
    // Headings and rows, each column as wide as its widest cell, two blanks apart.
    void print() const;

private:
    std::vector<Column> columns_;
    std::vector<std::vector<std::string>> rows_;
};

// "key:   value" lines with the values in one column.
void printFields(const std::vector<std::pair<std::string, std::string>>& fields);

// "de ad be ef"
std::string hexBytes(const uint8_t* bytes, size_t count);
// "deadbeef", the form --hex takes and --json gives.
std::string hexString(const uint8_t* bytes, size_t count);
// 0x%08x
std::string hexWord(uint32_t word);

// Sixteen bytes a line: the offset in the exchange's data, the bytes, and their printable ASCII.
void printHexDump(const uint8_t* bytes, size_t count, uint32_t firstOffset);

} // namespace zynctl
