#include <QFont>
#include <QFontMetrics>

#include <random>

#include "TitleShortener.h"
#include "component_support.h"

namespace vantle {
namespace {

// The rule as a loop: remove the last character while the text is not narrower than the
// column, then end what is left in "..".
QString ShortenedByLoop(const QString& title, int columnWidth, const TTextWidth& width) {
  QString text = title;
  bool shortened = false;
  while (!text.isEmpty() && width(text) >= columnWidth) {
    text.chop(text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1);
    shortened = true;
  }
  if (!shortened) {
    return text;
  }
  return text.size() < 3 ? QStringLiteral("..") : text.left(text.size() - 3) + "..";
}

// Titles of every kind of character the list may show, of lengths up to 200.
std::vector<QString> Titles() {
  const std::vector<QString> pieces = {"a",
                                       "W",
                                       " ",
                                       "i",
                                       "News",
                                       "Caf\u00e9",
                                       "\u65e5\u672c",
                                       "\u0301",
                                       QString::fromUcs4(U"\U0001F600"),
                                       "--",
                                       "\u05e9\u05dc\u05d5\u05dd",
                                       "fi"};
  std::mt19937 random(14);
  std::uniform_int_distribution<size_t> piece(0, pieces.size() - 1);
  std::uniform_int_distribution<int> count(0, 60);
  std::vector<QString> titles = {QString(), "A",    "Ab",
                                 "Abc",     "Abcd", QString(QChar(0xDC00)) + QChar(0xDC01)};
  for (int i = 0; i < 150; ++i) {
    QString title;
    for (int n = count(random); n > 0; --n) {
      title += pieces[piece(random)];
    }
    titles.push_back(title);
  }
  return titles;
}

TEST(TitleShortener, CutsEveryTitleWhereTheLoopCutsItForEveryWidth) {
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  const QFontMetrics metrics(font);
  const TTextWidth painted = [&metrics](const QString& text) {
    return metrics.horizontalAdvance(text);
  };
  const TTextWidth byUnits = [](const QString& text) { return 3 * static_cast<int>(text.size()); };
  int compared = 0;
  for (const QString& title : Titles()) {
    for (const int column : {-3, 0, 1, 2, 5, 9, 13, 30, 57, 100, 176, 400}) {
      for (const TTextWidth* width : {&painted, &byUnits}) {
        ASSERT_EQ(ShortenedTitle(title, column, *width), ShortenedByLoop(title, column, *width))
            << "title \"" << title.toStdString() << "\" in " << column << " pixels";
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 3000);
}

TEST(TitleShortener, MeasuresALongTitleAboutLogNTimes) {
  const QString title(3000, QLatin1Char('x'));
  int measured = 0;
  const TTextWidth width = [&measured](const QString& text) {
    ++measured;
    return 6 * static_cast<int>(text.size());
  };
  EXPECT_EQ(ShortenedTitle(title, 176, width), QString(26, QLatin1Char('x')) + "..");
  EXPECT_LE(measured, 14);
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}
