#pragma once
// Design measures are in twips: 1440 to the inch, 15 to a pixel at 96 dots per inch.

#include <QRect>
#include <QSize>

namespace app {

constexpr int TwipsPerPixel = 15;

constexpr int Twips(int twips) {
    return (twips + TwipsPerPixel / 2) / TwipsPerPixel;
}

constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

constexpr QSize TwipsSize(int width, int height) {
    return QSize(Twips(width), Twips(height));
}

} // namespace app
