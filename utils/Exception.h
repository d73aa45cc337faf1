#pragma once

#include <stdexcept>
#include <string>

namespace vantle {

// Base of every error the project raises: an exception that carries a message.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  // The text shown to the user.
  std::string Message() const { return what(); }
};

}  // namespace vantle
