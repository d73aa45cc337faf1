#include "BenchFeeds.h"

#include <fstream>
#include <ostream>
#include <string>
#include <string_view>

namespace vantle::bench {

namespace {

namespace fs = std::filesystem;

// Deterministic filler text so that every run generates the same bytes.
class TWords {
 public:
  std::string Next(int count) {
    static constexpr std::string_view Words[] = {
        "harbour", "tide",    "lantern", "gull",  "ferry",   "pier",   "fog",     "signal",
        "rope",    "keel",    "anchor",  "chart", "beacon",  "swell",  "dune",    "pebble",
        "current", "sail",    "mast",    "crew",  "north",   "squall", "reef",    "drift",
        "compass", "horizon", "shanty",  "buoy",  "estuary", "brine",  "netting", "lighthouse"};
    std::string text;
    for (int i = 0; i < count; ++i) {
      FState = FState * 6364136223846793005ull + 1442695040888963407ull;
      if (i > 0) text += ' ';
      text += Words[(FState >> 33) % std::size(Words)];
    }
    return text;
  }

 private:
  unsigned long long FState = 42;
};

std::string Description(TWords& words) {
  return "&lt;p&gt;" + words.Next(16) + " &lt;b&gt;" + words.Next(3) + "&lt;/b&gt; " +
         words.Next(12) + ".&lt;/p&gt;&lt;p&gt;&lt;img src=\"https://example.org/img/" +
         words.Next(1) + ".jpg\" alt=\"" + words.Next(3) + "\"&gt;&lt;/p&gt;";
}

void WriteRSSItem(std::ostream& out, int i, TWords& words) {
  out << "<item><title>" << words.Next(6) << "</title>\n<link>https://example.org/posts/" << i
      << "</link>\n<description>" << Description(words) << "</description>\n"
      << "<author>writer" << i % 17 << "@example.org (Writer " << i % 17 << ")</author>\n"
      << "<category domain=\"https://example.org/tags\">" << words.Next(1) << "</category>"
      << "<category>" << words.Next(2) << "</category>\n"
      << "<comments>https://example.org/posts/" << i << "#comments</comments>\n"
      << "<enclosure url=\"https://example.org/audio/" << i << ".mp3\" length=\""
      << 1000000 + i * 37 << "\" type=\"audio/mpeg\"/>\n"
      << "<guid isPermaLink=\"false\">tag:example.org,2024:" << i << "</guid>\n"
      << "<pubDate>Sat, 06 Apr 2024 " << 10 + i % 12 << ":" << 10 + i % 50
      << ":30 GMT</pubDate></item>\n";
}

void WriteRDFItem(std::ostream& out, int i, TWords& words) {
  out << "<item rdf:about=\"https://example.org/posts/" << i << "\"><title>" << words.Next(6)
      << "</title>\n<link>https://example.org/posts/" << i << "</link>\n<description>"
      << Description(words) << "</description>\n<dc:creator>Writer " << i % 17
      << "</dc:creator><dc:subject>" << words.Next(2) << "</dc:subject>\n"
      << "<dc:date>2024-04-06T" << 10 + i % 12 << ":" << 10 + i % 50
      << ":30+02:00</dc:date>\n<content:encoded><![CDATA[<p>" << words.Next(30)
      << "</p>]]></content:encoded></item>\n";
}

void WriteAtomEntry(std::ostream& out, int i, TWords& words) {
  out << "<entry><title>" << words.Next(6) << "</title>\n"
      << "<link rel=\"alternate\" type=\"text/html\" href=\"https://example.org/posts/" << i
      << "\"/>\n<id>tag:example.org,2024:" << i << "</id>\n<issued>2024-04-06T10:00:00Z</issued>"
      << "<modified>2024-04-06T" << 10 + i % 12 << ":" << 10 + i % 50 << ":30Z</modified>\n"
      << "<author><name>Writer " << i % 17 << "</name><email>writer" << i % 17
      << "@example.org</email></author>\n<summary>" << words.Next(12) << "</summary>\n"
      << "<content type=\"text/html\" mode=\"escaped\">" << Description(words)
      << "</content></entry>\n";
}

}  // namespace

const char* NameOf(TFormat format) {
  switch (format) {
    case TFormat::RSS:
      return "RSS 2.0";
    case TFormat::RDF:
      return "RDF";
    case TFormat::Atom:
      break;
  }
  return "Atom";
}

void WriteFeed(const fs::path& path, TFormat format, int items) {
  std::ofstream out(path, std::ios::binary);
  TWords words;
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  switch (format) {
    case TFormat::RSS:
      out << "<rss version=\"2.0\"><channel><title>Bench feed</title>"
             "<link>https://example.org/</link><description>Generated</description>"
             "<language>en-us</language><ttl>60</ttl>\n";
      for (int i = 0; i < items; ++i) WriteRSSItem(out, i, words);
      out << "</channel></rss>\n";
      break;
    case TFormat::RDF:
      out << "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
             "xmlns=\"http://purl.org/rss/1.0/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
             "xmlns:content=\"http://purl.org/rss/1.0/modules/content/\">\n"
             "<channel rdf:about=\"https://example.org/\"><title>Bench feed</title>"
             "<link>https://example.org/</link><description>Generated</description></channel>\n";
      for (int i = 0; i < items; ++i) WriteRDFItem(out, i, words);
      out << "</rdf:RDF>\n";
      break;
    case TFormat::Atom:
      out << "<feed version=\"0.3\" xmlns=\"http://purl.org/atom/ns#\"><title>Bench feed</title>"
             "<link rel=\"alternate\" href=\"https://example.org/\"/><tagline>Generated</tagline>"
             "<modified>2024-04-06T10:00:00Z</modified>\n";
      for (int i = 0; i < items; ++i) WriteAtomEntry(out, i, words);
      out << "</feed>\n";
      break;
  }
}

}  // namespace vantle::bench
