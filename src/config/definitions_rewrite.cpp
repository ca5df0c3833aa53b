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
    char piece[kLinePieceSize];
    bool fileHadContent = false;
    bool inDefinitions = false;
    bool seenCountedLine = false;
    bool removed = false;
    bool droppingRestOfLine = false; // the removed line was longer than one piece
    bool pendingLineEnd = false;     // the line end of the last definitions-section piece, not yet written
    while (rewrite.readPiece(piece)) {
        std::string_view text(piece);
        fileHadContent = true;
        if (!inDefinitions) {
            rewrite.write(text);
            inDefinitions = text.find(kDefinitionsMarker) != std::string_view::npos;
            continue;
        }
        const bool endsLine = !text.empty() && text.back() == '\n';
        std::string_view content = endsLine ? subview(text, 0, text.size() - 1) : text;
        if (droppingRestOfLine) {
            droppingRestOfLine = !endsLine;
            pendingLineEnd = endsLine;
            continue;
        }
        const bool counted = classifyDefinitionLine(content) == DefinitionLineKind::Counted;
        if (counted && !removed && edit.remove != nullptr && carriesExchange(content, *edit.remove)) {
            removed = true;
            // The first definition leaves its line end behind; any other goes with the line end
            // before it, so the file's last line keeps having none.
            if (!seenCountedLine && pendingLineEnd) rewrite.write("\n");
            pendingLineEnd = endsLine;
            droppingRestOfLine = !endsLine;
            seenCountedLine = true;
            continue;
        }
        if (counted && edit.append != nullptr && answersToAppended(content, edit, appended))
            return EditOutcome::Duplicate;
        seenCountedLine = seenCountedLine || counted;
        if (pendingLineEnd) rewrite.write("\n");
        rewrite.write(content);
        pendingLineEnd = endsLine;
    }
    if (edit.remove != nullptr && !removed) return EditOutcome::LineNotFound;
    if (pendingLineEnd) rewrite.write("\n");
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
