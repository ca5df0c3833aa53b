// file_pieces.h - a file's bytes cut into the pieces the loader reads from it in text mode, each
// piece carrying its own bytes as well, so that a rewrite can judge a line as the loader will
// and copy it unchanged, whatever bytes it holds.
#pragma once

#include <cstddef>
#include <string_view>

#include "config/loader.h"

namespace zyn::config {

struct FilePiece {
    // What the loader's string functions see of the piece's text: up to the first NUL.
    std::string_view view;
    std::string_view content;    // the piece's bytes before its line end
    std::string_view terminator; // its line end as it is on disk ("\r\n", "\n"), or empty
    bool endsLine() const { return !terminator.empty(); }
};

// The pieces in order. A text-mode read turns CR LF into one character, takes at most
// kLinePieceSize - 1 characters a piece, and ends at the first Ctrl-Z: the bytes from there on are
// the tail, which no read sees and every rewrite keeps.
class FilePieces {
public:
    explicit FilePieces(std::string_view bytes);
    bool next(FilePiece& piece);
    std::string_view tail() const { return tail_; }
    // Whether the tail begins a line of its own.
    bool tailStartsLine() const { return text_.empty() || text_.back() == '\n'; }

private:
    std::string_view text_; // up to the Ctrl-Z
    std::string_view tail_;
    size_t at_ = 0;
};

} // namespace zyn::config
