#pragma once
// The base of every error the system raises: a message string, reproduced exactly.
// Each unit derives its own classes directly from it.
#include <exception>
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
