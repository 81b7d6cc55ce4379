#include "host/directive_syntax.h"

#include <array>
#include <charconv>

namespace kestrova::host {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view WithoutComment(std::string_view line) {
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (line[i] == '#' && IsBlank(line[i - 1])) {
            return line.substr(0, i);
        }
    }
    return line;
}

// Words separated by blanks; the rest of the text stays whole for a reader
// name.
class Words {
  public:
    explicit Words(std::string_view text) : text_(TrimBlanks(text)) {}

    std::string_view Next() {
        std::size_t end = 0;
        while (end < text_.size() && !IsBlank(text_[end])) {
            ++end;
        }
        const std::string_view word = text_.substr(0, end);
        text_ = TrimBlanks(text_.substr(end));
        return word;
    }

    std::string_view Rest() const { return text_; }

  private:
    std::string_view text_;
};

std::optional<std::uint32_t> ParseMilliseconds(std::string_view word) {
    std::uint32_t value = 0;
    const char* end = word.data() + word.size();
    const auto [stop, error] = std::from_chars(word.data(), end, value);
    if (word.empty() || error != std::errc() || stop != end || value > kMaxDirectiveMilliseconds) {
        return std::nullopt;
    }
    return value;
}

std::string MillisecondsError(std::string_view what) {
    return std::string(what) + " needs a time in milliseconds, a whole number from 0 to " +
           std::to_string(kMaxDirectiveMilliseconds);
}

ParsedDirective ParseCard(Words& words) {
    struct MoveWord {
        std::string_view word;
        CardMove move;
        bool scheduled;
    };
    constexpr std::array kMoves = {
        MoveWord{"remove", CardMove::Remove, false},
        MoveWord{"insert", CardMove::Insert, false},
        MoveWord{"remove-after", CardMove::Remove, true},
        MoveWord{"insert-after", CardMove::Insert, true},
    };
    const std::string_view word = words.Next();
    for (const MoveWord& candidate : kMoves) {
        if (candidate.word != word) {
            continue;
        }
        CardDirective card;
        card.move = candidate.move;
        if (candidate.scheduled) {
            card.afterMilliseconds = ParseMilliseconds(words.Next());
            if (!card.afterMilliseconds) {
                return DirectiveSyntaxError{MillisecondsError(":card " + std::string(word))};
            }
        }
        card.reader = std::string(words.Rest());
        return Directive(std::move(card));
    }
    return DirectiveSyntaxError{
        ":card takes remove, insert, remove-after or insert-after, then an optional reader"};
}

}  // namespace

bool IsDirectiveLine(std::string_view line) {
    line = TrimBlanks(line);
    return !line.empty() && line.front() == ':';
}

std::string DirectiveText(std::string_view line) {
    return std::string(TrimBlanks(WithoutComment(TrimBlanks(line))));
}

ParsedDirective ParseDirectiveLine(std::string_view line) {
    std::string_view text = TrimBlanks(WithoutComment(TrimBlanks(line)));
    if (!text.empty() && text.front() == ':') {
        text.remove_prefix(1);
    }
    if (text.empty() || IsBlank(text.front())) {
        return DirectiveSyntaxError{"a directive name must follow ':' (card, sleep or page)"};
    }
    Words words(text);
    const std::string_view name = words.Next();
    if (name == "card") {
        return ParseCard(words);
    }
    if (name == "sleep") {
        const std::optional<std::uint32_t> milliseconds = ParseMilliseconds(words.Next());
        if (!milliseconds) {
            return DirectiveSyntaxError{MillisecondsError(":sleep")};
        }
        if (!words.Rest().empty()) {
            return DirectiveSyntaxError{"unexpected text after the time"};
        }
        return Directive(SleepDirective{*milliseconds});
    }
    if (name == "page") {
        PageDirective page;
        const std::string_view url = words.Next();
        if (!url.empty()) {
            page.url = std::string(url);
        }
        if (!words.Rest().empty()) {
            return DirectiveSyntaxError{"a page address holds no blanks"};
        }
        return Directive(std::move(page));
    }
    return DirectiveSyntaxError{"unknown directive :" + std::string(name) +
                                " (the directives are :card, :sleep and :page)"};
}

std::string FormatDirective(const Directive& directive) {
    if (const auto* card = std::get_if<CardDirective>(&directive)) {
        std::string text = card->move == CardMove::Remove ? ":card remove" : ":card insert";
        if (card->afterMilliseconds) {
            text += "-after " + std::to_string(*card->afterMilliseconds);
        }
        if (!card->reader.empty()) {
            text += " " + card->reader;
        }
        return text;
    }
    if (const auto* sleep = std::get_if<SleepDirective>(&directive)) {
        return ":sleep " + std::to_string(sleep->milliseconds);
    }
    const auto& page = std::get<PageDirective>(directive);
    return page.url ? ":page " + *page.url : std::string(":page");
}

}  // namespace kestrova::host
