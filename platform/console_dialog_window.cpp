#include "platform/console_dialog_window.h"

#include <algorithm>
#include <ostream>
#include <vector>

#include "platform/console_text.h"

namespace kestrova::platform {
namespace {

// A terminal has no pixels; a dialog unit counts as one, so the dialog's own
// moves and sizes stay consistent.
ScreenRect RectOf(const DialogUnits& place) {
    return {place.x, place.y, place.x + place.width, place.y + place.height};
}

bool IsButton(DialogItemKind kind) {
    return kind == DialogItemKind::DefaultPushButton || kind == DialogItemKind::PushButton;
}

}  // namespace

ConsoleDialogWindow::ConsoleDialogWindow(const DialogTemplate& layout, std::ostream& out)
    : out_(out),
      caption_(layout.caption),
      windowRect_{0, 0, layout.size.width, layout.size.height} {
    for (const DialogItem& item : layout.items) {
        items_[item.id] = Item{item, std::string(item.text), true, true, RectOf(item.place)};
    }
}

void ConsoleDialogWindow::Show(bool askingUser) {
    out_ << "== " << ConsoleText(caption_) << " ==\n";
    // Statics in reading order; those on one line of the window share a line.
    std::vector<const Item*> statics;
    for (const auto& [id, item] : items_) {
        if (!IsButton(item.layout.kind) && item.visible) {
            statics.push_back(&item);
        }
    }
    std::stable_sort(statics.begin(), statics.end(), [](const Item* a, const Item* b) {
        return a->rect.top != b->rect.top ? a->rect.top < b->rect.top : a->rect.left < b->rect.left;
    });
    for (std::size_t i = 0; i < statics.size();) {
        std::string line;
        const int top = statics[i]->rect.top;
        for (; i < statics.size() && statics[i]->rect.top == top; ++i) {
            if (statics[i]->text.empty()) {
                continue;
            }
            line += line.empty() ? "" : ": ";
            line += ConsoleText(statics[i]->text);
        }
        if (!line.empty()) {
            out_ << line << '\n';
        }
    }
    if (askingUser) {
        out_ << "Enter: [" << ButtonText(kDialogOk, "OK") << "]   c, Enter: ["
             << ButtonText(kDialogCancel, "Cancel") << "]\n";
    }
    shown_ = true;
    PrintOkState();
    if (!lastStatus_.empty()) {
        out_ << ConsoleText(lastStatus_) << '\n';
    }
    out_ << std::flush;
}

void ConsoleDialogWindow::SayPressed(int buttonId, std::string_view reason) {
    std::string line(1, '[');
    line += ButtonText(buttonId, buttonId == kDialogOk ? "OK" : "Cancel");
    line += "] pressed without asking (";
    line += reason;
    line += ")";
    Say(line);
}

// A button the page left without a text is still named for the user.
std::string ConsoleDialogWindow::ButtonText(int itemId, std::string_view fallback) const {
    const Item* button = Find(itemId);
    return button != nullptr && !button->text.empty() ? ConsoleText(button->text)
                                                      : std::string(fallback);
}

bool ConsoleDialogWindow::OkEnabled() const {
    const Item* ok = Find(kDialogOk);
    return ok != nullptr && ok->enabled && ok->visible;
}

std::optional<ConsoleDialogWindow::Clock::time_point> ConsoleDialogWindow::NextDue() const {
    std::optional<Clock::time_point> next;
    for (const auto& [id, timer] : timers_) {
        if (!next || timer.due < *next) {
            next = timer.due;
        }
    }
    return next;
}

std::optional<std::uint32_t> ConsoleDialogWindow::TakeDueTimer(Clock::time_point now) {
    auto earliest = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.due <= now &&
            (earliest == timers_.end() || it->second.due < earliest->second.due)) {
            earliest = it;
        }
    }
    if (earliest == timers_.end()) {
        return std::nullopt;
    }
    Timer& timer = earliest->second;
    // A loop that fell behind does not deliver a burst of stale ticks.
    timer.due += timer.period;
    if (timer.due <= now) {
        timer.due = now + timer.period;
    }
    return earliest->first;
}

void ConsoleDialogWindow::Say(std::string_view utf8Line) {
    out_ << utf8Line << '\n' << std::flush;
}

void ConsoleDialogWindow::SetCaption(std::string_view text) {
    caption_ = std::string(text);
}

void ConsoleDialogWindow::SetItemText(int itemId, std::string_view text) {
    if (Item* item = Find(itemId)) {
        item->text = std::string(text);
    }
}

void ConsoleDialogWindow::ShowItem(int itemId, bool visible) {
    if (Item* item = Find(itemId)) {
        item->visible = visible;
    }
    if (itemId == kDialogOk) {
        PrintOkState();
    }
}

void ConsoleDialogWindow::EnableItem(int itemId, bool enabled) {
    if (Item* item = Find(itemId)) {
        item->enabled = enabled;
    }
    if (itemId == kDialogOk) {
        PrintOkState();
    }
}

ScreenRect ConsoleDialogWindow::WindowRect() const {
    return windowRect_;
}

ScreenRect ConsoleDialogWindow::ItemRect(int itemId) const {
    const Item* item = Find(itemId);
    return item != nullptr ? item->rect : ScreenRect{};
}

void ConsoleDialogWindow::MoveWindow(const ScreenRect& place) {
    windowRect_ = place;
}

void ConsoleDialogWindow::MoveItem(int itemId, const ScreenRect& place) {
    if (Item* item = Find(itemId)) {
        item->rect = place;
    }
}

void ConsoleDialogWindow::StartTimer(std::uint32_t timerId, std::uint32_t periodMilliseconds) {
    const auto period = std::chrono::milliseconds(std::max<std::uint32_t>(periodMilliseconds, 1));
    timers_[timerId] = Timer{period, Clock::now() + period};
}

void ConsoleDialogWindow::StopTimer(std::uint32_t timerId) {
    timers_.erase(timerId);
}

void ConsoleDialogWindow::ShowMessageBox(std::string_view text, std::string_view caption) {
    out_ << ConsoleText(caption) << ": " << ConsoleText(text) << '\n' << std::flush;
}

// The terminal's text is all there is to read.
void ConsoleDialogWindow::SetItemAccessibleName(int, std::string_view) {}

void ConsoleDialogWindow::ShowStatus(std::string_view text) {
    if (text == lastStatus_) {
        return;
    }
    lastStatus_ = std::string(text);
    if (shown_) {
        out_ << ConsoleText(lastStatus_) << '\n' << std::flush;
    }
}

void ConsoleDialogWindow::End(std::int32_t code) {
    if (!endCode_) {
        endCode_ = code;
        timers_.clear();
    }
}

ConsoleDialogWindow::Item* ConsoleDialogWindow::Find(int itemId) {
    auto found = items_.find(itemId);
    return found != items_.end() ? &found->second : nullptr;
}

const ConsoleDialogWindow::Item* ConsoleDialogWindow::Find(int itemId) const {
    auto found = items_.find(itemId);
    return found != items_.end() ? &found->second : nullptr;
}

void ConsoleDialogWindow::PrintOkState() {
    if (!shown_) {
        return;
    }
    const bool enabled = OkEnabled();
    if (printedOkState_ != enabled) {
        printedOkState_ = enabled;
        out_ << (enabled ? "OK enabled" : "OK disabled") << '\n' << std::flush;
    }
}

}  // namespace kestrova::platform
