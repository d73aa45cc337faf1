// Shortens a title of 30,000 characters for the feed list's title column, as every repaint
// of its cell does, and prints how long one shortening takes with the binary search and
// with the loop that removes one character at a time.
#include <QApplication>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "GridControl.h"
#include "TitleShortener.h"

namespace {

constexpr int TitleLength = 30000;
constexpr int ColumnWidth = 176;

QString ShortenedByLoop(QString text, int columnWidth, const vantle::TTextWidth& width) {
  bool shortened = false;
  while (!text.isEmpty() && width(text) >= columnWidth) {
    text.chop(text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1);
    shortened = true;
  }
  if (!shortened) return text;
  return text.size() < 3 ? QStringLiteral("..") : text.left(text.size() - 3) + "..";
}

double Milliseconds(const std::function<void()>& step) {
  const auto start = std::chrono::steady_clock::now();
  step();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  vantle::TGridControl grid;
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  grid.setFont(font);
  const vantle::TTextWidth width = [&grid](const QString& text) { return grid.TextWidth(text); };
  QString title;
  while (title.size() < TitleLength) title += QStringLiteral("A very long feed title ");
  title.truncate(TitleLength);

  QString searched;
  const double search = Milliseconds([&] {
                          for (int i = 0; i < 100; ++i)
                            searched = vantle::ShortenedTitle(title, ColumnWidth, width);
                        }) /
                        100;
  QString looped;
  const double loop = Milliseconds([&] { looped = ShortenedByLoop(title, ColumnWidth, width); });
  std::printf("title of %d characters in %d pixels: binary search %.3f ms, loop %.1f ms%s\n",
              TitleLength, ColumnWidth, search, loop,
              searched == looped ? "" : " (DIFFERENT RESULTS)");
  return searched == looped ? 0 : 1;
}
