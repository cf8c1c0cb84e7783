#pragma once

#include <QImage>
#include <QSize>

namespace snagwell::bench {

// A picture that compresses like a screen capture of an ordinary desktop:
// large flat areas, window frames, lines of anti-aliased text, and a photo
// (a gradient with noise) that the encoders cannot make small. The layout
// scales with the size, as a desktop at 200 % does; the same size always
// gives the same pixels on the same machine (text depends on its fonts).
QImage screenshotLikePicture(QSize size);
// A photo filling the whole picture: gradients with grain, the worst case
// for a lossless encoder.
QImage photoLikePicture(QSize size);

} // namespace snagwell::bench
