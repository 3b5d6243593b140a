#pragma once

// The display, as the pictures the chart exports need it.
//
// The screen is also the reference device of a metafile: its size in pixels
// and in whole millimetres (Qt's primary screen, its physical size rounded).
// Without a screen, or one that reports no physical size, a stand-in of
// 1920 x 1080 pixels and 508 x 286 mm:
//   the offscreen platform's 800 x 800 pixels of 203.2 mm -> 800 x 800, 203 x 203

#include "platform/GraphicsTypes.h"

namespace curvella {

struct TScreenSize {
  TSize Pixels;      // HORZRES x VERTRES
  TSize Millimetres; // HORZSIZE x VERTSIZE
};

TScreenSize ScreenSize();

// Bits per pixel of a picture compatible with the display: 32 on a display of
// 24 bits or more and where there is no display at all, 16 on a 16-bit one,
// the display's own depth at 8 bits or fewer.
int DisplayColorDepth();

} // namespace curvella
