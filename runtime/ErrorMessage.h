#pragma once
// What the user reads of an error that reached the top of a command or of
// the window: its message, except that a failed allocation, whose own words
// are the library's ("std::bad_alloc"), says what ran out.
#include <exception>
#include <new>
#include <string>

inline std::string ErrorMessage(const std::exception& Error) {
  if (dynamic_cast<const std::bad_alloc*>(&Error) != nullptr)
    return "Out of memory: the system would give no more for this work";
  return Error.what();
}
