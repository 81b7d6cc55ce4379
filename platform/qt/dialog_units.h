#pragma once

// Dialog units to pixels, as Windows converts them for a dialog with its own
// font:
//   base width  = average width of the 52 Latin letters in the font, rounded
//                 ((width of "A..Za..z" / 26 + 1) / 2);
//   base height = the font's height (ascent + descent);
//   x pixels = x units * base width / 4, y pixels = y units * base height / 8,
// each rounded to the nearest pixel. A rectangle's edges are converted one by
// one, so neighbouring controls never overlap or drift apart by rounding.

#include <QFont>
#include <QRect>
#include <QSize>

#include "platform/dialog_template.h"

namespace kestrova::platform {

struct DialogBaseUnits {
    int width = 0;
    int height = 0;
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

class DialogUnitConverter {
  public:
    explicit DialogUnitConverter(DialogBaseUnits base) : base_(base) {}

    int X(int units) const;
    int Y(int units) const;
    QRect ToPixels(const DialogUnits& place) const;
    QSize SizeToPixels(int widthUnits, int heightUnits) const;

  private:
    DialogBaseUnits base_;
};

}  // namespace kestrova::platform
