// Rendering a 20,000-item feed beside loading the same feed from an RSS file.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "SimpleRSS.h"
#include "UFeedViews.h"

namespace {

constexpr int ItemCount = 20000;

class TNullBrowser : public vantle::IWebBrowser {
 public:
  void Navigate(const std::string&) override {}
};

std::string ItemText(int i) {
  return "<p>Item number " + std::to_string(i) +
         " tells a short story with <b>markup</b>, a <a href='http://example.com/'>link</a> "
         "and enough words to look like a real summary of an article.</p>";
}

void FillModel(vantle::TSimpleRSS& reader) {
  reader.Channel().Required.SetTitle("Benchmark Feed");
  reader.Channel().Required.SetDesc("Twenty thousand items");
  reader.Channel().Optional.Image.Required.SetURL("http://example.com/logo.png");
  for (int i = 0; i < ItemCount; ++i) {
    vantle::TRSSItem& item = reader.Items().Add();
    item.Title = "Item title " + std::to_string(i);
    item.Link = "http://example.com/articles/" + std::to_string(i) + ".html";
    item.Description = ItemText(i);
  }
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<')
      out += "&lt;";
    else if (c == '&')
      out += "&amp;";
    else
      out += c;
  }
  return out;
}

void WriteRssFile(const std::filesystem::path& path) {
  std::ofstream out(path, std::ios::binary);
  out << "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>Benchmark Feed</title>"
         "<link>http://example.com/</link><description>Twenty thousand items</description>\n";
  for (int i = 0; i < ItemCount; ++i)
    out << "<item><title>Item title " << i << "</title><link>http://example.com/articles/" << i
        << ".html</link><description>" << Escaped(ItemText(i)) << "</description></item>\n";
  out << "</channel></rss>\n";
}

template <typename F>
double Milliseconds(F&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main() {
  char pattern[] = "/tmp/vantle-bench-render-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::filesystem::path dir = pattern;

  vantle::TSimpleRSS model;
  FillModel(model);
  TNullBrowser browser;
  const std::string page = (dir / "vantle_tmp.htm").string();
  for (uint8_t style : {uint8_t{0}, uint8_t{1}}) {
    const double ms = Milliseconds([&] { vantle::ShowFeedView(model, browser, style, page); });
    std::printf("render %-9s %d items: %8.1f ms, %ju bytes\n",
                std::string(vantle::ViewStyleNames[style]).c_str(), ItemCount, ms,
                static_cast<uintmax_t>(std::filesystem::file_size(page)));
  }

  const std::filesystem::path feed = dir / "feed.xml";
  WriteRssFile(feed);
  vantle::TSimpleRSS reader;
  const double loadMs = Milliseconds([&] { reader.LoadFromLink(feed.string()); });
  std::printf("load RSS  %d items in file: %8.1f ms, %d items parsed%s\n", ItemCount, loadMs,
              reader.Items().Count(), reader.Items().Count() == 0 ? " (no RSS parser yet)" : "");
  const double renderMs = Milliseconds([&] { vantle::ShowFeedView(reader, browser, 0, page); });
  std::printf("render the loaded feed (NewsPaper): %8.1f ms\n", renderMs);

  std::filesystem::remove_all(dir);
  return 0;
}
