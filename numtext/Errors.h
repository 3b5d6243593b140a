#pragma once

// The exceptions every part of Curvella raises. Each carries the message text
// the user sees; the window shows it in a message box and goes on.
//
//   Exception                 root of all of Curvella's errors
//   +- EAbort                 a silent stop: the window shows no box for it
//   +- EConvertError          a conversion refused its input ("Format string too long")
//   +- EMathError             an arithmetic error of the extended arithmetic
//      +- EInvalidOp          "Invalid floating point operation"
//      +- EZeroDivide         "Floating point division by zero"
//      +- EOverflow           "Floating point overflow"

#include <exception>
#include <string>

namespace curvella {

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : m_message(std::move(message)) {}
  const std::string& Message() const noexcept { return m_message; }
  const char* what() const noexcept override { return m_message.c_str(); }

private:
  std::string m_message;
};

class EAbort : public Exception {
public:
  EAbort() : Exception("Operation aborted") {}
};

class EConvertError : public Exception {
public:
  using Exception::Exception;
};

class EMathError : public Exception {
public:
  using Exception::Exception;
};

class EInvalidOp : public EMathError {
public:
  EInvalidOp() : EMathError("Invalid floating point operation") {}
};

class EZeroDivide : public EMathError {
public:
  EZeroDivide() : EMathError("Floating point division by zero") {}
};

class EOverflow : public EMathError {
public:
  EOverflow() : EMathError("Floating point overflow") {}
};

} // namespace curvella
