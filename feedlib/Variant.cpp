#include "Variant.h"

#include <limits>

namespace vantle {

namespace {

constexpr std::string_view kNull = "Null";
constexpr std::string_view kString = "String";
constexpr std::string_view kInteger = "Integer";

[[noreturn]] void RaiseConversion(std::string_view from, std::string_view to) {
  throw EVariantError("Could not convert variant of type (" + std::string(from) + ") into type (" +
                      std::string(to) + ")");
}

[[noreturn]] void RaiseOverflow(std::string_view from, std::string_view to) {
  throw EVariantError("Overflow while converting variant of type (" + std::string(from) +
                      ") into type (" + std::string(to) + ")");
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

const std::string& TVariant::AsString() const& {
  if (!FText) RaiseConversion(kNull, kString);
  return *FText;
}

std::string TVariant::AsString() && {
  if (!FText) RaiseConversion(kNull, kString);
  return std::move(*FText);
}

int32_t TVariant::AsInteger() const {
  if (!FText) RaiseConversion(kNull, kInteger);
  std::string_view text = TrimBlanks(*FText);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) RaiseConversion(kString, kInteger);
  // Accumulate as a negative number so that INT32_MIN fits.
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
  bool overflow = false;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') RaiseConversion(kString, kInteger);
    if (!overflow) {
      value = value * 10 - (c - '0');
      overflow = value < kMin;
    }
  }
  if (overflow) RaiseOverflow(kString, kInteger);
  if (!negative) {
    if (value == kMin) RaiseOverflow(kString, kInteger);
    value = -value;
  }
  return static_cast<int32_t>(value);
}

std::string TVariant::StringOr(std::string_view fallback) const {
  return FText ? *FText : std::string(fallback);
}

}  // namespace vantle
