#pragma once

// Dialog template 201, the transaction confirmation window, and the texts the
// window shows, all in code page 950.

#include "platform/dialog_template.h"

namespace kestrova {

inline constexpr int kConfirmationDialogId = 201;

// Controls of template 201.
inline constexpr int kConfirmOkButton = 1;
inline constexpr int kConfirmCancelButton = 2;
inline constexpr int kConfirmHeading = 201;
inline constexpr int kConfirmRow1Label = 202;
inline constexpr int kConfirmRow1Value = 203;
inline constexpr int kConfirmRow2Label = 204;
inline constexpr int kConfirmRow2Value = 205;
inline constexpr int kConfirmRow3Label = 206;
inline constexpr int kConfirmRow3Value = 207;
inline constexpr int kConfirmInstruction = 208;

const platform::DialogTemplate& ConfirmationDialogTemplate();

// "Kestrova": the template's caption and the caption of the window's box.
inline constexpr char kConfirmationCaption[] = "Kestrova";
// "確定"
inline constexpr char kConfirmOkText[] = "\xBD\x54\xA9\x77";
// "取消"
inline constexpr char kConfirmCancelText[] = "\xA8\xFA\xAE\xF8";
// "※如確認要進行交易，請您立即取出晶片卡並再重新插入，然後按下[確定]"
inline constexpr char kConfirmInstructionText[] =
    "\xA1\xB0\xA6\x70\xBD\x54\xBB\x7B\xAD\x6E\xB6\x69\xA6\xE6\xA5\xE6\xA9\xF6\xA1\x41\xBD\xD0\xB1"
    "\x7A\xA5\xDF\xA7\x59\xA8\xFA\xA5\x58\xB4\xB9\xA4\xF9\xA5\x64\xA8\xC3\xA6\x41\xAD\xAB\xB7\x73"
    "\xB4\xA1\xA4\x4A\xA1\x41\xB5\x4D\xAB\xE1\xAB\xF6\xA4\x55\x5B\xBD\x54\xA9\x77\x5D";
// "新細明體"
inline constexpr char kConfirmationFontFace[] = "\xB7\x73\xB2\xD3\xA9\xFA\xC5\xE9";
inline constexpr int kConfirmationFontPoints = 10;
// "超過允許交易時間，取消交易。": the confirmation time ran out.
inline constexpr char kConfirmationTimeOutText[] =
    "\xB6\x57\xB9\x4C\xA4\xB9\xB3\x5C\xA5\xE6\xA9\xF6\xAE\xC9\xB6\xA1\xA1\x41\xA8\xFA\xAE\xF8\xA5"
    "\xE6\xA9\xF6\xA1\x43";
// "剩餘 %d 秒完成交易。": the seconds left, for the status line.
inline constexpr char kConfirmationCountdownFormat[] =
    "\xB3\xD1\xBE\x6C\x20\x25\x64\x20\xAC\xED\xA7\xB9\xA6\xA8\xA5\xE6\xA9\xF6\xA1\x43";

}  // namespace kestrova
