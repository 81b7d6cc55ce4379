#include "resources/confirmation_dialog.h"

namespace kestrova {

const platform::DialogTemplate& ConfirmationDialogTemplate() {
    using platform::DialogItemKind;
    static const platform::DialogTemplate dialog{
        kConfirmationDialogId,
        kConfirmationCaption,
        kConfirmationFontFace,
        kConfirmationFontPoints,
        {0, 0, 210, 137},
        {
            {kConfirmOkButton,
             DialogItemKind::DefaultPushButton,
             kConfirmOkText,
             {57, 116, 50, 14},
             false},
            {kConfirmCancelButton,
             DialogItemKind::PushButton,
             kConfirmCancelText,
             {112, 116, 50, 14},
             false},
            {kConfirmHeading, DialogItemKind::StaticCentred, "1", {7, 7, 195, 15}, true},
            {kConfirmRow1Label, DialogItemKind::StaticLeft, "2", {7, 28, 61, 13}, true},
            {kConfirmRow1Value, DialogItemKind::StaticLeft, "3", {72, 28, 129, 13}, true},
            {kConfirmRow2Label, DialogItemKind::StaticLeft, "4", {7, 43, 61, 13}, true},
            {kConfirmRow2Value, DialogItemKind::StaticLeft, "5", {72, 43, 129, 13}, true},
            {kConfirmRow3Label, DialogItemKind::StaticLeft, "", {7, 58, 61, 13}, true},
            {kConfirmRow3Value, DialogItemKind::StaticLeft, "", {72, 58, 129, 13}, true},
            {kConfirmInstruction,
             DialogItemKind::StaticTopLeft,
             kConfirmInstructionText,
             {7, 81, 195, 21},
             true},
        },
    };
    return dialog;
}

}  // namespace kestrova
