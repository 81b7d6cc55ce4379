#include "host/script_directives.h"

#include <chrono>

#include "platform/pause.h"

namespace kestrova::host {
namespace {

std::optional<std::string> MoveCard(SimulatedReaders& readers, CardMove move,
                                    const std::string& reader) {
    return move == CardMove::Remove ? readers.RemoveCard(reader) : readers.InsertCard(reader);
}

}  // namespace

ScriptDirectives::ScriptDirectives(PageSite& page, SimulatedReaders* readers)
    : page_(page), readers_(readers) {}

ScriptDirectives::~ScriptDirectives() {
    Finish();
}

DirectiveResult ScriptDirectives::Run(const Directive& directive, const std::string& where) {
    if (const auto* card = std::get_if<CardDirective>(&directive)) {
        return RunCard(*card, where);
    }
    if (const auto* sleep = std::get_if<SleepDirective>(&directive)) {
        platform::SleepFor(sleep->milliseconds);
        return {true, FormatDirective(directive)};
    }
    if (!page_.Serve(std::get<PageDirective>(directive).url)) {
        return {false, "the page address is not UTF-8"};
    }
    return {true, FormatDirective(directive)};
}

DirectiveResult ScriptDirectives::RunCard(CardDirective card, const std::string& where) {
    if (readers_ == nullptr) {
        return {false, "card directives need the simulated service (kestrova run --simulate)"};
    }
    if (card.reader.empty()) {
        card.reader = readers_->DefaultReader();
        if (card.reader.empty()) {
            return {false, "no reader of the simulated service has a card; name one"};
        }
    }
    const std::string text = FormatDirective(card);
    if (!card.afterMilliseconds) {
        if (std::optional<std::string> failure = MoveCard(*readers_, card.move, card.reader)) {
            return {false, *failure};
        }
        return {true, text};
    }
    // A reader that cannot take the move fails now, not when it is due.
    if (std::optional<std::string> failure = readers_->CheckReader(card.reader)) {
        return {false, *failure};
    }
    SimulatedReaders& readers = *readers_;
    events_.Schedule(
        std::chrono::milliseconds(*card.afterMilliseconds),
        [&readers, card, report = where + " " + text + ": "] {
            std::optional<std::string> failure = MoveCard(readers, card.move, card.reader);
            return failure ? std::optional<std::string>(report + *failure) : std::nullopt;
        });
    return {true, text};
}

std::vector<std::string> ScriptDirectives::TakeScheduledFailures() {
    return events_.TakeFailures();
}

void ScriptDirectives::Finish() {
    events_.Stop();
}

}  // namespace kestrova::host
