// file_pieces.cpp - the text-mode reading of the C library, over bytes in memory.
#include "config/file_pieces.h"

#include "config/text.h"

namespace zyn::config {

namespace {
constexpr char kCtrlZ = '\x1A';
}

FilePieces::FilePieces(std::string_view bytes) {
    const size_t end = bytes.find(kCtrlZ);
    text_ = subview(bytes, 0, end);
    tail_ = end == std::string_view::npos ? std::string_view{} : subview(bytes, end);
}

bool FilePieces::next(FilePiece& piece) {
    if (at_ >= text_.size()) return false;
    const size_t start = at_;
    size_t characters = 0;
    piece.terminator = {};
    while (at_ < text_.size() && characters < static_cast<size_t>(kLinePieceSize - 1)) {
        if (text_[at_] == '\n') {
            piece.terminator = subview(text_, at_, 1);
            break;
        }
        if (text_[at_] == '\r' && at_ + 1 < text_.size() && text_[at_ + 1] == '\n') {
            piece.terminator = subview(text_, at_, 2);
            break;
        }
        ++at_;
        ++characters;
    }
    piece.content = subview(text_, start, at_ - start);
    at_ += piece.terminator.size();
    piece.view = subview(piece.content, 0, piece.content.find('\0'));
    return true;
}

} // namespace zyn::config
