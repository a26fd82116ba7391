#pragma once

#include <exception>
#include <string>
#include <utility>

// The base of the program's errors: an error object carrying a message text.
class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
};
