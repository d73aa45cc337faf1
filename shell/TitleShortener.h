#pragma once

#include <QString>

#include <functional>

namespace vantle {

// Measures the width of a text in pixels, in the font it is painted in.
using TTextWidth = std::function<int(const QString& text)>;

// The text painted for `title` in a column `columnWidth` pixels wide: the title itself when
// strictly narrower than the column; otherwise the longest of the texts that removing the
// last character one at a time passes through that is narrower (a surrogate pair counts as
// one character, the empty text always fits), without its last three characters and
// followed by "..", or ".." alone when fewer than three characters remain. Finds the cut
// with a binary search, so a title of n characters is measured about log2(n) times; this
// gives the same text as removing one character at a time as long as a longer text never
// measures narrower than its beginning.
QString ShortenedTitle(const QString& title, int columnWidth, const TTextWidth& width);

}  // namespace vantle
