#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Exception.h"

namespace vantle {

// Raised when a value cannot be converted to the type asked for.
class EVariantError : public Exception {
 public:
  using Exception::Exception;
};

// A node value as the DOM hands it out: Null or a UTF-8 string.
class TVariant {
 public:
  // A Null value.
  TVariant() = default;
  // A string value (possibly empty).
  explicit TVariant(std::string text) : FText(std::move(text)) {}

  // True when the value is Null.
  bool IsNull() const { return !FText.has_value(); }
  // The text; raises "Could not convert variant of type (Null) into type (String)" for Null.
  const std::string& AsString() const&;
  // The same, moved out of a value about to go.
  std::string AsString() &&;
  // The signed 32-bit integer the text holds (blanks around it allowed, an optional sign,
  // decimal digits); raises the conversion error for Null or non-numeric text and
  // "Overflow while converting variant of type (String) into type (Integer)" out of range.
  int32_t AsInteger() const;
  // The text, or `fallback` for Null; never raises.
  std::string StringOr(std::string_view fallback) const;

 private:
  std::optional<std::string> FText;
};

}  // namespace vantle
