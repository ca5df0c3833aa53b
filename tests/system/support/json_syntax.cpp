// json_syntax.cpp - a recursive-descent reader of the JSON grammar that builds nothing.
#include "support/json_syntax.h"

#include <cctype>

namespace zyn::test {

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool document() {
        skipBlanks();
        if (!value()) return false;
        skipBlanks();
        return at_ == text_.size();
    }

private:
    bool value() {
        if (at_ >= text_.size()) return false;
        switch (text_[at_]) {
        case '{': return object();
        case '[': return array();
        case '"': return string();
        case 't': return word("true");
        case 'f': return word("false");
        case 'n': return word("null");
        default: return number();
        }
    }

    bool object() {
        ++at_;
        skipBlanks();
        if (take('}')) return true;
        do {
            skipBlanks();
            if (!string()) return false;
            skipBlanks();
            if (!take(':')) return false;
            skipBlanks();
            if (!value()) return false;
            skipBlanks();
        } while (take(','));
        return take('}');
    }

    bool array() {
        ++at_;
        skipBlanks();
        if (take(']')) return true;
        do {
            skipBlanks();
            if (!value()) return false;
            skipBlanks();
        } while (take(','));
        return take(']');
    }

    bool string() {
        if (!take('"')) return false;
        while (at_ < text_.size()) {
            const unsigned char c = static_cast<unsigned char>(text_[at_++]);
            if (c == '"') return true;
            if (c < 0x20) return false;
            if (c != '\\') continue;
            if (at_ >= text_.size()) return false;
            const char escaped = text_[at_++];
            if (escaped == 'u') {
                for (int i = 0; i < 4; ++i) {
                    if (at_ >= text_.size() || !std::isxdigit(static_cast<unsigned char>(text_[at_++]))) return false;
                }
            } else if (std::string_view("\"\\/bfnrt").find(escaped) == std::string_view::npos) {
                return false;
            }
        }
        return false;
    }

    bool number() {
        take('-');
        // A leading zero stands alone.
        if (!take('0') && !digits()) return false;
        if (take('.') && !digits()) return false;
        if (take('e') || take('E')) {
            if (!take('+')) take('-');
            if (!digits()) return false;
        }
        return true;
    }

    bool digits() {
        const size_t start = at_;
        while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])))
            ++at_;
        return at_ > start;
    }

    bool word(std::string_view expected) {
        if (text_.substr(at_, expected.size()) != expected) return false;
        at_ += expected.size();
        return true;
    }

    bool take(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    void skipBlanks() {
        while (at_ < text_.size() && std::string_view(" \t\n\r").find(text_[at_]) != std::string_view::npos)
            ++at_;
    }

    std::string_view text_;
    size_t at_ = 0;
};

} // namespace

bool isJsonDocument(std::string_view text) { return Reader(text).document(); }

} // namespace zyn::test
