#pragma once
// Placing controls the way the forms are drawn: positions and sizes in twips (15 to a pixel on
// the usual 96-dpi screen), the Tahoma face where the machine has it and a sans-serif face
// otherwise.

#include <QFont>
#include <QWidget>

namespace vodare::gui {

inline constexpr int kTwipsPerPixel = 15;

constexpr int Px(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

inline void PlaceTwips(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

// The forms' face: Tahoma, or the platform's sans-serif face where Tahoma is missing.
QFont FormFont(double point_size = 8.25);

}  // namespace vodare::gui
