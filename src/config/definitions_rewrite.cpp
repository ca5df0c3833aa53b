// definitions_rewrite.cpp - removing and appending definition lines in the file as it stands,
// so that lines another process added since this one last loaded the file are never lost.
#include "config/definitions_rewrite.h"

#include <cstring>
#include <string_view>

#include "config/config_rewrite.h"
#include "config/exchange_name.h"
#include "config/header_keys.h"
#include "config/text.h"
#include "config/written_form.h"

namespace zyn::config {

namespace {

// The limits under which a line is compared with the exchange to remove: any line that carries
// the right fields, whatever the limits in force.
constexpr DefinitionLimits kAnyLimits{INT32_MAX, -1};

bool carriesExchange(std::string_view line, const ExchangeDef& exchange) {
    ExchangeDef record;
    return parseDefinitionLine(line, kAnyLimits, record) && record.exchangeNumber == exchange.exchangeNumber &&
           record.exchangeId == exchange.exchangeId &&
           std::strncmp(record.producer, exchange.producer, ZYN_TEXT_FIELD_SIZE) == 0;
}

bool answersToAppended(std::string_view line, const DefinitionEdit& edit, const ExchangeName& appended) {
    ExchangeDef record;
    return parseDefinitionLine(line, edit.limits, record) && answersTo(record, appended, edit.exchMap);
}

} // namespace

EditOutcome rewriteDefinitions(const char* configPath, const char* scratchPath, const DefinitionEdit& edit) {
    ConfigRewrite rewrite(configPath, scratchPath);
    if (!rewrite.open()) return EditOutcome::Failed;
    if (!rewrite.configExisted() && edit.remove != nullptr) return EditOutcome::LineNotFound;

    const ExchangeName appended = edit.append != nullptr ? nameOf(*edit.append) : ExchangeName{};
    FilePiece piece;
    bool fileHadContent = false;
    bool inDefinitions = false;
    bool seenCountedLine = false;
    bool removed = false;
    bool droppingRestOfLine = false; // the removed line was longer than one piece
    // The line end of the last definitions-section piece, as it is on disk, not yet written.
    std::string_view pendingLineEnd;
    while (rewrite.readPiece(piece)) {
        fileHadContent = true;
        if (!inDefinitions) {
            rewrite.copy(piece.content);
            rewrite.copy(piece.terminator);
            inDefinitions = piece.view.find(kDefinitionsMarker) != std::string_view::npos;
            continue;
        }
        if (droppingRestOfLine) {
            droppingRestOfLine = !piece.endsLine();
            pendingLineEnd = piece.terminator;
            continue;
        }
        const std::string_view text = piece.view;
        const bool counted = classifyDefinitionLine(text) == DefinitionLineKind::Counted;
        if (counted && !removed && edit.remove != nullptr && carriesExchange(text, *edit.remove)) {
            removed = true;
            // The first definition leaves its line end behind; any other goes with the line end
            // before it, so the file's last line keeps having none.
            if (!seenCountedLine) rewrite.copy(pendingLineEnd);
            pendingLineEnd = piece.terminator;
            droppingRestOfLine = !piece.endsLine();
            seenCountedLine = true;
            continue;
        }
        if (counted && edit.append != nullptr && answersToAppended(text, edit, appended)) return EditOutcome::Duplicate;
        seenCountedLine = seenCountedLine || counted;
        rewrite.copy(pendingLineEnd);
        rewrite.copy(piece.content);
        pendingLineEnd = piece.terminator;
    }
    if (edit.remove != nullptr && !removed) return EditOutcome::LineNotFound;
    rewrite.copy(pendingLineEnd);
    if (edit.append != nullptr) {
        // A definition appended where the loader would never look for it would be lost.
        if (!inDefinitions) {
            if (fileHadContent) rewrite.write("\n");
            rewrite.write(kDefinitionsMarker);
        }
        char line[kWrittenLineCapacity];
        rewrite.write({line, formatDefinitionLine(line, *edit.append)});
    }
    return rewrite.commit() ? EditOutcome::Done : EditOutcome::Failed;
}

} // namespace zyn::config
