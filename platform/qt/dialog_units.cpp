#include "platform/qt/dialog_units.h"

#include <QFontMetrics>
#include <QString>

namespace kestrova::platform {
namespace {

// value * numerator / denominator rounded to the nearest, halves away from
// zero, computed without overflow for any int value.
int Scale(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    const long long rounded =
        product >= 0 ? (product + half) / denominator : (product - half) / denominator;
    return static_cast<int>(rounded);
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogBaseUnits{(letters / 26 + 1) / 2, metrics.height()};
}

int DialogUnitConverter::X(int units) const {
    return Scale(units, base_.width, 4);
}

int DialogUnitConverter::Y(int units) const {
    return Scale(units, base_.height, 8);
}

QRect DialogUnitConverter::ToPixels(const DialogUnits& place) const {
    const int left = X(place.x);
    const int top = Y(place.y);
    const int right = X(place.x + place.width);
    const int bottom = Y(place.y + place.height);
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogUnitConverter::SizeToPixels(int widthUnits, int heightUnits) const {
    return QSize(X(widthUnits), Y(heightUnits));
}

}  // namespace kestrova::platform
