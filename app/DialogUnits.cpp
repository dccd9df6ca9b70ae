#include "app/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QSize>

namespace {

// a * b / c rounded to nearest, as the host's MulDiv does for the non-negative values used here.
int MulDiv(int a, int b, int c) { return (a * b + c / 2) / c; }

}  // namespace

DialogUnits DialogUnits::FromFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

int DialogUnits::MapX(int units) const { return MulDiv(units, baseWidth, 4); }

int DialogUnits::MapY(int units) const { return MulDiv(units, baseHeight, 8); }

QRect DialogUnits::Map(int x, int y, int width, int height) const {
    return {MapX(x), MapY(y), MapX(width), MapY(height)};
}

QSize DialogUnits::MapSize(int width, int height) const { return {MapX(width), MapY(height)}; }
