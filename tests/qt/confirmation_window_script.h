#pragma once

// The confirmation window's template and the start-up its logic runs
// (texts from the tagged message, rows, hiding and compacting for fewer
// than three rows), so the view can be drawn as users see it.

#include <string>

#include "platform/dialog_template.h"
#include "platform/modal_dialog.h"

namespace kestrova::platform::testing {

// Template 201, texts in code page 950.
const DialogTemplate& ConfirmationTemplate();

// Code page 950 of UTF-8 text.
std::string Big5(const char* utf8);

// What the user sees, in UTF-8.
struct ConfirmationTexts {
    const char* caption = "Kestrova 交易確認";
    const char* ok = "確定";
    const char* cancel = "取消";
    const char* heading = "請確認以下交易內容";
    const char* labels[3] = {"轉出帳號", "轉入帳號", "交易金額"};
    const char* values[3] = {"0123456789012345", "9876543210987654", "NT$ 1,234,567"};
    const char* instruction = "※如確認要進行交易，請您立即取出晶片卡並再重新插入，然後按下[確定]";
    const char* status = "剩餘 299 秒完成交易。";
};

void StartConfirmation(DialogWindow& window, int rowCount, const ConfirmationTexts& texts = {});

}  // namespace kestrova::platform::testing
