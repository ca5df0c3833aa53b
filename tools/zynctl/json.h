// json.h - the documents that --json prints: a small value tree, so that a command builds its
// answer the way it builds its text, and one printer that always yields valid JSON.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace zynctl {

class Json {
public:
    using Array = std::vector<Json>;
    // Members keep the order a command gives them, so that a document reads like its text form.
    using Object = std::vector<std::pair<std::string, Json>>;

    Json() : value_(nullptr) {}
    Json(std::nullptr_t) : value_(nullptr) {}
    Json(bool value) : value_(value) {}
    template <std::integral T>
    requires(!std::same_as<T, bool>) Json(T value) : value_(static_cast<int64_t>(value)) {}
    Json(std::string value) : value_(std::move(value)) {}
    Json(std::string_view value) : value_(std::string(value)) {}
    Json(const char* value) : value_(std::string(value)) {}
    Json(Array value) : value_(std::move(value)) {}
    Json(Object value) : value_(std::move(value)) {}

    // Indented by two spaces per level, ended by a line end.
    std::string dump() const;
    // On one line, ended by a line end: one line of JSON Lines.
    std::string line() const;

private:
    // `depth` is the indentation level, or nothing for the one-line form.
    void write(std::string& out, std::optional<int> depth) const;

    std::variant<std::nullptr_t, bool, int64_t, std::string, Array, Object> value_;
};

// Prints the document on stdout.
void printJson(const Json& document);
// Prints the document on stdout as one line.
void printJsonLine(const Json& document);

} // namespace zynctl
