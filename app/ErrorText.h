#pragma once

// The text of the error box: the error's message, with "." appended when it
// is not empty and its last character comes after "." in the code page (a
// letter, a digit, "/", ":", "?"), not after ".", "!", ")", "," or a blank.
//
//   "Floating point division by zero" -> "Floating point division by zero."
//   "File not found"                  -> "File not found."
//   "Done."                           -> "Done."
//   "(see above)"                     -> "(see above)"

#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "numtext/Errors.h"

namespace curvella {

// The message of an error that left a command: its own message, "Out of
// memory" for an allocation that failed, the text of any other exception,
// "Unknown error" for anything else; none for EAbort, which stops silently.
inline std::optional<std::string> ErrorMessage(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
    return std::nullopt;
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::bad_alloc&) {
    return "Out of memory";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown error";
  }
}

inline std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

} // namespace curvella
