#pragma once

// A dialog template as data: the window's frame, font and controls in dialog
// units. Each view lays the window out from it (converting dialog units with
// its font's metrics), so the layout is defined once.

#include <cstdint>
#include <string_view>
#include <vector>

namespace kestrova::platform {

enum class DialogItemKind {
    DefaultPushButton,
    PushButton,
    StaticCentred,  // text centred horizontally and vertically
    StaticLeft,     // text from the left, centred vertically
    StaticTopLeft,  // text from the top left, wrapping
};

struct DialogUnits {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct DialogItem {
    int id = 0;
    DialogItemKind kind = DialogItemKind::StaticLeft;
    std::string_view text;  // code page 950
    DialogUnits place;
    bool sunkenEdge = false;
};

struct DialogTemplate {
    int id = 0;
    std::string_view caption;   // code page 950
    std::string_view fontFace;  // code page 950
    int fontPoints = 0;
    DialogUnits size;  // x and y unused
    std::vector<DialogItem> items;
};

}  // namespace kestrova::platform
