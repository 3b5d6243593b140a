#pragma once

// The text of the error box: the error's message, with "." appended when it
// is not empty and its last character comes after "." in the code page (a
// letter, a digit, "/", ":", "?"), not after ".", "!", ")", "," or a blank.
//
//   "Floating point division by zero" -> "Floating point division by zero."
//   "File not found"                  -> "File not found."
//   "Done."                           -> "Done."
//   "(see above)"                     -> "(see above)"

#include <string>
#include <string_view>

namespace curvella {

inline std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

} // namespace curvella
