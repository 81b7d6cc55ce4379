#include "tests/qt/confirmation_window_script.h"

#include <QString>

#include "platform/code_page.h"

namespace kestrova::platform::testing {

std::string Big5(const char* utf8) {
    return Utf16ToAnsi(QString::fromUtf8(utf8).toStdU16String());
}

const DialogTemplate& ConfirmationTemplate() {
    static const std::string caption = "Kestrova";
    static const std::string face = Big5("新細明體");
    static const std::string ok = Big5("確定");
    static const std::string cancel = Big5("取消");
    static const std::string instruction =
        Big5("※如確認要進行交易，請您立即取出晶片卡並再重新插入，然後按下[確定]");
    static const DialogTemplate dialogTemplate{
        201,
        caption,
        face,
        10,
        {0, 0, 210, 137},
        {
            {1, DialogItemKind::DefaultPushButton, ok, {57, 116, 50, 14}, false},
            {2, DialogItemKind::PushButton, cancel, {112, 116, 50, 14}, false},
            {201, DialogItemKind::StaticCentred, "1", {7, 7, 195, 15}, true},
            {202, DialogItemKind::StaticLeft, "2", {7, 28, 61, 13}, true},
            {203, DialogItemKind::StaticLeft, "3", {72, 28, 129, 13}, true},
            {204, DialogItemKind::StaticLeft, "4", {7, 43, 61, 13}, true},
            {205, DialogItemKind::StaticLeft, "5", {72, 43, 129, 13}, true},
            {206, DialogItemKind::StaticLeft, "", {7, 58, 61, 13}, true},
            {207, DialogItemKind::StaticLeft, "", {72, 58, 129, 13}, true},
            {208, DialogItemKind::StaticTopLeft, instruction, {7, 81, 195, 21}, true},
        }};
    return dialogTemplate;
}

void StartConfirmation(DialogWindow& window, int rowCount, const ConfirmationTexts& texts) {
    window.SetCaption(Big5(texts.caption));
    window.SetItemText(1, Big5(texts.ok));
    window.SetItemText(2, Big5(texts.cancel));
    window.SetItemText(208, Big5(texts.instruction));
    window.SetItemText(201, Big5(texts.heading));
    for (int row = 0; row < 3; ++row) {
        window.SetItemText(202 + 2 * row, Big5(texts.labels[row]));
    }
    for (int row = 0; row < rowCount; ++row) {
        window.SetItemText(203 + 2 * row, Big5(texts.values[row]));
    }
    if (rowCount < 3) {
        window.ShowItem(206, false);
        window.ShowItem(207, false);
    }
    if (rowCount < 2) {
        window.ShowItem(204, false);
        window.ShowItem(205, false);
    }
    if (rowCount < 3) {
        const int rowHeight = window.ItemRect(206).Height();
        for (const int id : {208, 1, 2}) {
            ScreenRect place = window.ItemRect(id);
            place.top -= rowHeight;
            place.bottom -= rowHeight;
            window.MoveItem(id, place);
            window.ShowItem(id, true);
        }
        ScreenRect frame = window.WindowRect();
        frame.bottom -= rowHeight;
        window.MoveWindow(frame);
    }
    window.ShowStatus(Big5(texts.status));
    window.EnableItem(1, false);
}

}  // namespace kestrova::platform::testing
