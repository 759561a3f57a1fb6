// The seventeen images of the dataset tree, drawn here: one strip of
// 17 x 16 pixel images on white, white being transparent.
#pragma once

#include <QPixmap>

namespace ksbrowse {

inline constexpr int kImageWidth = 17;
inline constexpr int kImageHeight = 16;

// The whole strip (17 images side by side, white background).
QPixmap imageStrip();
// One image of the strip with white made transparent.
QPixmap image(int index);

}  // namespace ksbrowse
