#include "tests/support/scripted_dialog_window.h"

#include <stdexcept>

namespace kestrova::test_support {

ScriptedDialogWindow::ScriptedDialogWindow(platform::ModalDialog& dialog) : dialog_(dialog) {}

void ScriptedDialogWindow::Open() {
    const platform::DialogTemplate& layout = dialog_.Template();
    caption = std::string(layout.caption);
    windowRect = {kOriginX, kOriginY, kOriginX + layout.size.width * kPixelsPerUnit,
                  kOriginY + layout.size.height * kPixelsPerUnit};
    for (const platform::DialogItem& item : layout.items) {
        ScriptedItem& shown = items[item.id];
        shown.text = std::string(item.text);
        shown.rect = {kOriginX + item.place.x * kPixelsPerUnit,
                      kOriginY + item.place.y * kPixelsPerUnit,
                      kOriginX + (item.place.x + item.place.width) * kPixelsPerUnit,
                      kOriginY + (item.place.y + item.place.height) * kPixelsPerUnit};
    }
    dialog_.OnInitDialog(*this);
}

bool ScriptedDialogWindow::Tick() {
    std::vector<std::uint32_t> running;
    for (const auto& [id, period] : timers) {
        running.push_back(id);
    }
    for (std::uint32_t id : running) {
        if (Ended()) {
            break;
        }
        if (TimerRunning(id)) {
            dialog_.OnTimer(*this, id);
        }
    }
    return !Ended();
}

int ScriptedDialogWindow::Tick(int count) {
    int rounds = 0;
    while (rounds < count && !Ended()) {
        Tick();
        ++rounds;
    }
    return rounds;
}

bool ScriptedDialogWindow::PressOk() {
    if (Ended() || !OkEnabled()) {
        return false;
    }
    dialog_.OnOK(*this);
    return true;
}

void ScriptedDialogWindow::PressCancel() {
    if (!Ended()) {
        dialog_.OnCancel(*this);
    }
}

const ScriptedItem& ScriptedDialogWindow::Item(int itemId) const {
    auto found = items.find(itemId);
    if (found == items.end()) {
        throw std::out_of_range("no dialog item " + std::to_string(itemId));
    }
    return found->second;
}

bool ScriptedDialogWindow::OkEnabled() const {
    auto found = items.find(platform::kDialogOk);
    return found != items.end() && found->second.enabled && found->second.visible;
}

ScriptedItem& ScriptedDialogWindow::ItemFor(int itemId) {
    auto found = items.find(itemId);
    if (found == items.end()) {
        throw std::out_of_range("no dialog item " + std::to_string(itemId));
    }
    return found->second;
}

void ScriptedDialogWindow::SetCaption(std::string_view text) {
    caption = std::string(text);
}

void ScriptedDialogWindow::SetItemText(int itemId, std::string_view text) {
    ItemFor(itemId).text = std::string(text);
}

void ScriptedDialogWindow::ShowItem(int itemId, bool visible) {
    ItemFor(itemId).visible = visible;
}

void ScriptedDialogWindow::EnableItem(int itemId, bool enabled) {
    ItemFor(itemId).enabled = enabled;
}

platform::ScreenRect ScriptedDialogWindow::WindowRect() const {
    return windowRect;
}

platform::ScreenRect ScriptedDialogWindow::ItemRect(int itemId) const {
    return Item(itemId).rect;
}

void ScriptedDialogWindow::MoveWindow(const platform::ScreenRect& place) {
    windowRect = place;
}

void ScriptedDialogWindow::MoveItem(int itemId, const platform::ScreenRect& place) {
    ItemFor(itemId).rect = place;
}

void ScriptedDialogWindow::StartTimer(std::uint32_t timerId, std::uint32_t periodMilliseconds) {
    timers[timerId] = periodMilliseconds;
}

void ScriptedDialogWindow::StopTimer(std::uint32_t timerId) {
    timers.erase(timerId);
}

void ScriptedDialogWindow::ShowMessageBox(std::string_view text, std::string_view boxCaption) {
    messageBoxes.push_back({std::string(text), std::string(boxCaption)});
}

void ScriptedDialogWindow::SetItemAccessibleName(int itemId, std::string_view text) {
    accessibleNames[itemId].emplace_back(text);
}

void ScriptedDialogWindow::ShowStatus(std::string_view text) {
    statusLines.emplace_back(text);
}

void ScriptedDialogWindow::End(std::int32_t code) {
    if (!Ended()) {
        endCode_ = code;
        timers.clear();
    }
}

}  // namespace kestrova::test_support
