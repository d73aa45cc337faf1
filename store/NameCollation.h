#pragma once

#include <string>
#include <string_view>

struct UCollator;

namespace vantle {

// The order in which the window lists groups and feeds: the user's locale collation, ignoring
// case, as Qt's QCollator gives it where Qt is built with ICU (Debian's is). A locale of ICU
// compares at secondary strength with normalisation on and punctuation not ignored; the C
// locale compares the UTF-16 code units of the simply case-folded texts.
class TNameCollation {
 public:
  // The collation of the locale named as in LANG ("de_DE.UTF-8"); "C", "POSIX" and an empty
  // name give the C locale's.
  explicit TNameCollation(std::string_view localeName);
  TNameCollation(const TNameCollation&) = delete;
  TNameCollation& operator=(const TNameCollation&) = delete;
  ~TNameCollation();

  // The collation of this process's locale, taken as Qt takes it: LC_ALL, else LC_COLLATE,
  // else LANG, else "C".
  static const TNameCollation& User();
  // The locale name User() reads from the environment.
  static std::string UserLocaleName();

  // Negative, zero or positive as UTF-8 `a` sorts before, with or after `b`.
  int Compare(std::string_view a, std::string_view b) const;
  // Bytes whose order as unsigned chars is the order of Compare.
  std::string SortKey(std::string_view text) const;
  // True when `a` and `b` are equal ignoring case (simple case folding).
  static bool EqualIgnoringCase(std::string_view a, std::string_view b);

 private:
  UCollator* FCollator = nullptr;  // null for the C locale
};

}  // namespace vantle
