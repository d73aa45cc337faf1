#include "TitleShortener.h"

#include <vector>

namespace vantle {

namespace {

// The lengths that removing the last character one at a time passes through, longest
// first, ending with 0; a low surrogate goes together with the unit before it.
std::vector<qsizetype> CutLengths(const QString& text) {
  std::vector<qsizetype> lengths;
  qsizetype length = text.size();
  while (length > 0) {
    length -= length >= 2 && text.at(length - 1).isLowSurrogate() ? 2 : 1;
    lengths.push_back(length);
  }
  return lengths;
}

}  // namespace

QString ShortenedTitle(const QString& title, int columnWidth, const TTextWidth& width) {
  if (title.isEmpty() || width(title) < columnWidth) {
    return title;
  }
  const std::vector<qsizetype> lengths = CutLengths(title);
  // The first length that fits; the last one, the empty text, ends the search unmeasured.
  size_t low = 0;
  size_t high = lengths.size() - 1;
  while (low < high) {
    const size_t middle = low + (high - low) / 2;
    if (width(title.left(lengths[middle])) < columnWidth) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  const QString cut = title.left(lengths[low]);
  return cut.size() < 3 ? QStringLiteral("..") : cut.left(cut.size() - 3) + "..";
}

}  // namespace vantle
