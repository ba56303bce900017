#pragma once

#include <QRect>

// Windows are designed in twips; 15 twips make one pixel at 100 % scaling, and
// Qt's device-pixel ratio takes care of larger scalings. Halves round up.
constexpr int Px(int twips)
{
    return (twips * 2 + 15) / 30;
}

inline QRect TwipRect(int left, int top, int width, int height)
{
    return {Px(left), Px(top), Px(width), Px(height)};
}
