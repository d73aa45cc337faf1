#include <QLabel>
#include <QTabBar>
#include <QWidget>

#include "PageControlEx.h"
#include "UVantleFormUtils.h"
#include "component_support.h"

namespace vantle {
namespace {

// A top-level window placed and sized as asked.
std::unique_ptr<QWidget> WindowAt(int left, int top, int width, int height) {
  auto window = std::make_unique<QWidget>();
  window->setGeometry(left, top, width, height);
  return window;
}

TEST(CenterOnWindow, CentresASmallerDialogOnTheWindow) {
  auto window = WindowAt(100, 50, 768, 586);
  auto dialog = WindowAt(0, 0, 520, 142);
  CenterOnWindow(*window, *dialog);
  EXPECT_EQ(dialog->x(), 100 + (768 - 520) / 2);
  EXPECT_EQ(dialog->y(), 50 + (586 - 142) / 2);
}

TEST(CenterOnWindow, TruncatesOddDifferencesTowardZero) {
  auto window = WindowAt(10, 20, 101, 51);
  auto dialog = WindowAt(0, 0, 50, 20);
  CenterOnWindow(*window, *dialog);
  EXPECT_EQ(dialog->x(), 35);  // 10 + 51 / 2
  EXPECT_EQ(dialog->y(), 35);  // 20 + 31 / 2
}

TEST(CenterOnWindow, TruncatesNegativeQuotientsTowardZeroNotDownward) {
  // (100 - 301) / 2 is -100 toward zero; rounding down would give -101.
  auto window = WindowAt(10, 20, 100, 50);
  auto dialog = WindowAt(0, 0, 301, 201);
  CenterOnWindow(*window, *dialog);
  EXPECT_EQ(dialog->x(), -90);
  EXPECT_EQ(dialog->y(), 20 - 75);
}

TEST(CenterOnWindow, UsesTheSizesAtTheMomentOfTheCall) {
  auto window = WindowAt(0, 0, 400, 400);
  auto dialog = WindowAt(0, 0, 100, 100);
  CenterOnWindow(*window, *dialog);
  window->resize(800, 800);
  EXPECT_EQ(dialog->pos(), QPoint(150, 150));
}

TEST(FormSize, LockFixesTheCurrentSizeAndUnlockClearsTheLimits) {
  QWidget form;
  form.resize(332, 136);
  LockFormSize(form);
  EXPECT_EQ(form.minimumSize(), QSize(332, 136));
  EXPECT_EQ(form.maximumSize(), QSize(332, 136));
  form.resize(600, 600);
  EXPECT_EQ(form.size(), QSize(332, 136));

  UnlockFormSize(form);
  EXPECT_EQ(form.minimumSize(), QSize(0, 0));
  EXPECT_EQ(form.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  form.resize(520, 184);
  EXPECT_EQ(form.size(), QSize(520, 184));
}

// A page control of three labelled pages, shown at a known size.
struct TThreePages {
  TThreePages() {
    for (QLabel*& page : Pages) {
      page = new QLabel;
      control.addTab(page, QStringLiteral("tab"));
    }
    control.resize(400, 300);
  }
  TPageControlEx control;
  QLabel* Pages[3] = {};
};

TEST(PageControl, HideTabsLeavesNoTabStripAndTheActivePageFillsTheControl) {
  TThreePages pages;
  pages.control.SetActivePage(pages.Pages[1]);
  HideTabs(pages.control);
  pages.control.show();
  QApplication::processEvents();

  EXPECT_FALSE(pages.control.tabBar()->isVisible());
  EXPECT_TRUE(pages.Pages[1]->isVisible());
  EXPECT_EQ(pages.control.ActivePage(), pages.Pages[1]);
  const QRect filled(pages.Pages[1]->mapTo(&pages.control, QPoint(0, 0)), pages.Pages[1]->size());
  EXPECT_EQ(filled, pages.control.rect());
}

TEST(PageControl, SwitchesPagesByCodeWithTheTabsHidden) {
  TThreePages pages;
  HideTabs(pages.control);
  pages.control.show();
  for (QLabel* page : pages.Pages) {
    pages.control.SetActivePage(page);
    QApplication::processEvents();
    EXPECT_EQ(pages.control.ActivePage(), page);
    EXPECT_TRUE(page->isVisible());
  }
  EXPECT_FALSE(pages.Pages[0]->isVisible());
}

TEST(PageControl, KeepsTheTabsHiddenWhenAPageIsAddedLater) {
  TThreePages pages;
  HideTabs(pages.control);
  pages.control.show();
  auto* late = new QLabel;
  pages.control.addTab(late, QStringLiteral("late"));
  pages.control.SetActivePage(late);
  QApplication::processEvents();
  EXPECT_FALSE(pages.control.tabBar()->isVisible());
  EXPECT_EQ(late->size(), pages.control.size());
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}
