#pragma once

// Mouse input as the window toolkit reports it to a control: the button of
// a press or release, the keys and buttons held, and the cursor shapes a
// control can show.

#include <cstdint>

namespace curvella {

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// The keys and mouse buttons held during a mouse event.
struct TShiftState {
  bool Shift = false;
  bool Alt = false;
  bool Ctrl = false;
  bool Left = false;
  bool Right = false;
  bool Middle = false;
  bool Double = false; // the press is the second of a double click
};

// Cursor shapes, by the toolkit's numbers.
using TCursor = std::int32_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeAll = -22;
inline constexpr TCursor crHandPoint = -21;

} // namespace curvella
