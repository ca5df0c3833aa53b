// json.cpp - printing the value tree as JSON text.
#include "json.h"

#include <cstdio>

namespace zynctl {

namespace {

void indent(std::string& out, int depth) { out.append(static_cast<size_t>(depth) * 2, ' '); }

// The library's texts are single bytes of no stated code page: bytes above 0x7F are escaped as
// the code points of the same value, so that the document stays valid UTF-8 whatever they hold.
void writeString(std::string& out, const std::string& text) {
    out += '"';
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c > 0x7E) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
}

} // namespace

std::string Json::dump() const {
    std::string out;
    write(out, 0);
    out += '\n';
    return out;
}

std::string Json::line() const {
    std::string out;
    write(out, std::nullopt);
    out += '\n';
    return out;
}

// The one-line form keeps the blank after each ',' and ':' of the indented one, so that a
// member reads the same in both: "count": 12.
void Json::write(std::string& out, std::optional<int> depth) const {
    const std::optional<int> inner = depth ? std::optional<int>(*depth + 1) : std::nullopt;
    auto beginItem = [&](size_t i) {
        out += depth ? (i == 0 ? "\n" : ",\n") : (i == 0 ? "" : ", ");
        if (inner) indent(out, *inner);
    };
    auto endItems = [&](char closing) {
        if (depth) {
            out += '\n';
            indent(out, *depth);
        }
        out += closing;
    };
    if (std::holds_alternative<std::nullptr_t>(value_)) {
        out += "null";
    } else if (const bool* flag = std::get_if<bool>(&value_)) {
        out += *flag ? "true" : "false";
    } else if (const int64_t* number = std::get_if<int64_t>(&value_)) {
        out += std::to_string(*number);
    } else if (const std::string* text = std::get_if<std::string>(&value_)) {
        writeString(out, *text);
    } else if (const Array* array = std::get_if<Array>(&value_)) {
        if (array->empty()) {
            out += "[]";
            return;
        }
        out += '[';
        for (size_t i = 0; i < array->size(); ++i) {
            beginItem(i);
            (*array)[i].write(out, inner);
        }
        endItems(']');
    } else {
        const Object& object = std::get<Object>(value_);
        if (object.empty()) {
            out += "{}";
            return;
        }
        out += '{';
        for (size_t i = 0; i < object.size(); ++i) {
            beginItem(i);
            writeString(out, object[i].first);
            out += ": ";
            object[i].second.write(out, inner);
        }
        endItems('}');
    }
}

void printJson(const Json& document) { std::fputs(document.dump().c_str(), stdout); }

void printJsonLine(const Json& document) { std::fputs(document.line().c_str(), stdout); }

} // namespace zynctl
