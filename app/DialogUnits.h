#pragma once
// Dialog units: the layout grid of dialog templates. One horizontal unit is a quarter of the
// font's average character width, one vertical unit an eighth of its height.
class QFont;
class QRect;
class QSize;

struct DialogUnits {
    int baseWidth = 0;   // average character width, pixels
    int baseHeight = 0;  // character height, pixels

    // The base units of a font, measured as the host measures them: the average advance of
    // the 52 letters A-Z and a-z, rounded, and the font's line height.
    static DialogUnits FromFont(const QFont& font);

    int MapX(int units) const;
    int MapY(int units) const;
    QRect Map(int x, int y, int width, int height) const;
    QSize MapSize(int width, int height) const;
};
