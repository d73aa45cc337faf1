#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "FeedFetcher.h"
#include "SimpleRSS.h"
#include "SimpleRSSException.h"
#include "Variant.h"
#include "XMLDocument.h"
#include "support/TestFiles.h"

namespace vantle {
namespace {

namespace fs = std::filesystem;

bool StartsWith(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The kind of clean failure a message stands for; empty when it is none of ours.
std::string ReasonOf(const Exception& error) {
  const std::string message = error.Message();
  if (dynamic_cast<const TSimpleRSSException*>(&error) != nullptr) {
    if (StartsWith(message, "unkown format: ")) return "unknown format";
    if (StartsWith(message, "Required Field Missing. Field: ")) return "required field";
    if (StartsWith(message, "Invalid Base64 ")) return "base64";
  } else if (dynamic_cast<const EVariantError*>(&error) != nullptr) {
    if (StartsWith(message, "Could not convert variant of type (")) return "conversion";
    if (StartsWith(message, "Overflow while converting variant")) return "overflow";
  } else if (dynamic_cast<const EXMLDocError*>(&error) != nullptr) {
    if (message == "Element does not contain a single text node") return "not a single text node";
    if (message.find(": not well-formed") != std::string::npos) return "not well-formed";
  } else if (dynamic_cast<const EFetchError*>(&error) != nullptr) {
    return "fetch";
  }
  return {};
}

const char* FormatName(TXMLType type) {
  switch (type) {
    case xtRSS:
      return "RSS";
    case xtAtom:
      return "Atom";
    case xtRDF:
      break;
  }
  return "RDF";
}

TEST(Corpora, LoadsEveryDocumentOrFailsWithOneOfOurMessages) {
  const fs::path root = VANTLE_CORPORA_DIR;
  if (!fs::is_directory(root)) GTEST_SKIP() << "no corpora at " << root;
  const std::vector<fs::path> files = test::FeedFilesUnder(root);
  ASSERT_FALSE(files.empty());

  std::map<std::string, int> loaded;
  std::map<std::string, int> failed;
  int items = 0;
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    TSimpleRSS rss;
    try {
      rss.LoadFromLink(file.string());
      ++loaded[FormatName(rss.XMLType())];
      items += rss.Items().Count();
    } catch (const Exception& error) {
      const std::string reason = ReasonOf(error);
      EXPECT_FALSE(reason.empty()) << "unexpected message: " << error.Message();
      ++failed[reason];
    }
  }

  int loadedTotal = 0;
  std::cout << "corpora: " << files.size() << " documents\n";
  for (const auto& [format, count] : loaded) {
    std::cout << "  loaded " << format << ": " << count << '\n';
    loadedTotal += count;
  }
  std::cout << "  items read: " << items << '\n';
  for (const auto& [reason, count] : failed)
    std::cout << "  failed, " << reason << ": " << count << '\n';
  // Each format must load somewhere: a parser that always raises would show here.
  EXPECT_GT(loaded["RSS"], 0);
  EXPECT_GT(loaded["RDF"], 0);
  EXPECT_GT(loaded["Atom"], 0);
  EXPECT_GT(items, loadedTotal);
}

}  // namespace
}  // namespace vantle
