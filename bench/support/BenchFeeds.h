#pragma once

#include <filesystem>

namespace vantle::bench {

// The formats the benchmarks generate feeds in.
enum class TFormat { RSS, RDF, Atom };

// "RSS 2.0", "RDF" or "Atom".
const char* NameOf(TFormat format);

// Writes a feed of `items` items in `format` to `path`, the same bytes on every run: words
// of filler text, escaped markup in the descriptions, dates, authors, categories, enclosures.
void WriteFeed(const std::filesystem::path& path, TFormat format, int items);

}  // namespace vantle::bench
