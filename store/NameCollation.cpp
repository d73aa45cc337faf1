#include "store/NameCollation.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <cstdlib>
#include <string>

namespace vantle {

namespace {

constexpr UChar32 Replacement = 0xFFFD;

// The text's code points, each simply case-folded, as UTF-16.
std::u16string FoldedUtf16(std::string_view utf8) {
  std::u16string folded;
  folded.reserve(utf8.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
  const auto length = static_cast<int32_t>(utf8.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    c = c < 0 ? Replacement : u_foldCase(c, U_FOLD_CASE_DEFAULT);
    if (U_IS_BMP(c)) {
      folded += static_cast<char16_t>(c);
    } else {
      folded += static_cast<char16_t>(U16_LEAD(c));
      folded += static_cast<char16_t>(U16_TRAIL(c));
    }
  }
  return folded;
}

std::u16string Utf16(std::string_view utf8) {
  std::u16string text(utf8.size() + 1, u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(text.data()), static_cast<int32_t>(text.size()),
                       &length, utf8.data(), static_cast<int32_t>(utf8.size()), Replacement,
                       nullptr, &status);
  text.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
  return text;
}

// The language and territory of a locale name: "de_DE" of "de_DE.UTF-8@euro".
std::string LanguageOf(std::string_view localeName) {
  return std::string(localeName.substr(0, localeName.find_first_of(".@")));
}

bool IsCLocale(const std::string& language) {
  return language.empty() || language == "C" || language == "POSIX";
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

TNameCollation::TNameCollation(std::string_view localeName) {
  const std::string language = LanguageOf(localeName);
  if (IsCLocale(language)) return;
  UErrorCode status = U_ZERO_ERROR;
  FCollator = ucol_open(language.c_str(), &status);
  if (U_FAILURE(status)) {
    FCollator = nullptr;
    return;
  }
  ucol_setAttribute(FCollator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
  ucol_setAttribute(FCollator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
  ucol_setAttribute(FCollator, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
  ucol_setAttribute(FCollator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
}

TNameCollation::~TNameCollation() {
  if (FCollator != nullptr) ucol_close(FCollator);
}

std::string TNameCollation::UserLocaleName() {
  for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
    std::string name = Environment(variable);
    if (!name.empty()) return name;
  }
  return "C";
}

const TNameCollation& TNameCollation::User() {
  static const TNameCollation user(UserLocaleName());
  return user;
}

int TNameCollation::Compare(std::string_view a, std::string_view b) const {
  // Qt puts an empty text first before asking the collator.
  if (a.empty() || b.empty()) return static_cast<int>(!a.empty()) - static_cast<int>(!b.empty());
  if (FCollator == nullptr) return FoldedUtf16(a).compare(FoldedUtf16(b));
  UErrorCode status = U_ZERO_ERROR;
  return ucol_strcollUTF8(FCollator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                          static_cast<int32_t>(b.size()), &status);
}

std::string TNameCollation::SortKey(std::string_view text) const {
  if (text.empty()) return {};
  std::string key;
  if (FCollator == nullptr) {
    // Big-endian code units compare as the units do.
    for (const char16_t unit : FoldedUtf16(text)) {
      key += static_cast<char>(unit >> 8);
      key += static_cast<char>(unit & 0xFF);
    }
    return key;
  }
  const std::u16string utf16 = Utf16(text);
  const auto* units = reinterpret_cast<const UChar*>(utf16.data());
  const auto length = static_cast<int32_t>(utf16.size());
  key.resize(utf16.size() * 4 + 16);
  int32_t size = ucol_getSortKey(FCollator, units, length, reinterpret_cast<uint8_t*>(key.data()),
                                 static_cast<int32_t>(key.size()));
  if (size > static_cast<int32_t>(key.size())) {
    key.resize(static_cast<std::size_t>(size));
    size = ucol_getSortKey(FCollator, units, length, reinterpret_cast<uint8_t*>(key.data()), size);
  }
  // The key ends in a zero byte that orders nothing.
  key.resize(size > 0 ? static_cast<std::size_t>(size - 1) : 0);
  return key;
}

bool TNameCollation::EqualIgnoringCase(std::string_view a, std::string_view b) {
  return FoldedUtf16(a) == FoldedUtf16(b);
}

}  // namespace vantle
