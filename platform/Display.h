#pragma once

// The display, as the pictures the chart exports need it.

namespace curvella {

// Bits per pixel of a picture compatible with the display: 32 on a display of
// 24 bits or more and where there is no display at all, 16 on a 16-bit one,
// the display's own depth at 8 bits or fewer.
int DisplayColorDepth();

} // namespace curvella
