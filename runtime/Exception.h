#pragma once
// The base of every error the system raises: a message string, reproduced exactly.
// Each unit derives its own classes directly from it.
#include <exception>
#include <new>
#include <string>

class Exception : public std::exception {
public:
  explicit Exception(std::string Message) : FMessage(std::move(Message)) {}
  const std::string& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

private:
  std::string FMessage;
};

// Declares an exception class deriving directly from Exception.
#define QUELBIR_EXCEPTION(Name)   \
  class Name : public Exception { \
  public:                         \
    using Exception::Exception;   \
  }

// What the user reads of an error that reached the top of a command or of
// the window: its message, except that a failed allocation, whose own words
// are the library's ("std::bad_alloc"), says what ran out.
inline std::string ErrorMessage(const std::exception& Error) {
  if (dynamic_cast<const std::bad_alloc*>(&Error) != nullptr)
    return "Out of memory: the system would give no more for this work";
  return Error.what();
}
