#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <vector>

#include "URLDropTarget.h"
#include "component_support.h"

namespace vantle {
namespace {

// A window with a drop target that records the events it raises.
struct TDropWindow {
  TDropWindow() : Target(new TURLDropTarget(&Window)) {
    Target->OnBeforeDrop = [this] { Events.push_back("before:" + Target->DroppedURL()); };
    Target->OnDropURL = [this] { Events.push_back("drop:" + Target->DroppedURL()); };
  }

  // Drags `data` onto the window and drops it there, as a drag from another application
  // does (Qt delivers a drop only to a widget that accepted the drag's entry); tells whether
  // the window accepted the drop.
  bool Drop(const QMimeData& data) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Window, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QCoreApplication::sendEvent(&Window, &drop);
    return drop.isAccepted();
  }

  QWidget Window;
  TURLDropTarget* Target;
  std::vector<QString> Events;
};

QMimeData* Text(const QString& text) {
  auto* data = new QMimeData;
  data->setText(text);
  return data;
}

TEST(URLDropTarget, MakesItsOwnerAcceptDropsAndDiesWithIt) {
  auto window = std::make_unique<QWidget>();
  QPointer<TURLDropTarget> target = new TURLDropTarget(window.get());
  EXPECT_TRUE(window->acceptDrops());
  window.reset();
  EXPECT_TRUE(target.isNull());
}

TEST(URLDropTarget, IsEmptyUntilTheFirstDrop) {
  TDropWindow window;
  EXPECT_TRUE(window.Target->DroppedURL().isEmpty());
}

TEST(URLDropTarget, TakesTheDroppedTextAndRaisesBeforeDropThenDropURL) {
  TDropWindow window;
  std::unique_ptr<QMimeData> data(Text(QStringLiteral("https://example.org/feed.xml")));
  EXPECT_TRUE(window.Drop(*data));
  ASSERT_EQ(window.Events.size(), 2u);
  // OnBeforeDrop comes before the data is read.
  EXPECT_EQ(window.Events[0], QStringLiteral("before:"));
  EXPECT_EQ(window.Events[1], QStringLiteral("drop:https://example.org/feed.xml"));
}

TEST(URLDropTarget, TakesAPlainTextSelectionAsItIs) {
  TDropWindow window;
  std::unique_ptr<QMimeData> data(Text(QStringLiteral("  not a link, just words  ")));
  window.Drop(*data);
  EXPECT_EQ(window.Target->DroppedURL(), QStringLiteral("  not a link, just words  "));
}

TEST(URLDropTarget, PrefersTheTextOverTheURLsWhenADropCarriesBoth) {
  TDropWindow window;
  QMimeData data;
  data.setUrls({QUrl(QStringLiteral("https://example.org/a.xml"))});
  data.setText(QStringLiteral("https://example.org/b.xml"));
  window.Drop(data);
  EXPECT_EQ(window.Target->DroppedURL(), QStringLiteral("https://example.org/b.xml"));
}

TEST(URLDropTarget, TakesTheFirstURLWhenTheDropCarriesOnlyURLs) {
  TDropWindow window;
  QMimeData data;
  data.setUrls({QUrl(QStringLiteral("https://example.org/first.xml")),
                QUrl(QStringLiteral("https://example.org/second.xml"))});
  window.Drop(data);
  EXPECT_EQ(window.Target->DroppedURL(), QStringLiteral("https://example.org/first.xml"));
}

TEST(URLDropTarget, TakesAFileManagersFileURLAsText) {
  TDropWindow window;
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QStringLiteral("/home/user/feeds/news.xml"))});
  window.Drop(data);
  EXPECT_EQ(window.Target->DroppedURL(), QStringLiteral("file:///home/user/feeds/news.xml"));
}

TEST(URLDropTarget, KeepsThePreviousTextWhenADropCarriesNone) {
  TDropWindow window;
  std::unique_ptr<QMimeData> first(Text(QStringLiteral("https://example.org/feed.xml")));
  window.Drop(*first);
  QMimeData picture;
  picture.setData(QStringLiteral("image/png"), QByteArray("\x89PNG", 4));
  window.Drop(picture);
  EXPECT_EQ(window.Target->DroppedURL(), QStringLiteral("https://example.org/feed.xml"));
  // OnDropURL is raised after every drop, with or without text.
  ASSERT_EQ(window.Events.size(), 4u);
  EXPECT_EQ(window.Events[3], QStringLiteral("drop:https://example.org/feed.xml"));
}

TEST(URLDropTarget, RaisesDropURLWithAnEmptyTextWhenTheFirstDropHasNone) {
  TDropWindow window;
  QMimeData nothing;
  window.Drop(nothing);
  ASSERT_EQ(window.Events.size(), 2u);
  EXPECT_EQ(window.Events[1], QStringLiteral("drop:"));
}

TEST(URLDropTarget, AcceptsDragsUnlessAHandlerRefusesThem) {
  TDropWindow window;
  QMimeData data;
  data.setText(QStringLiteral("x"));
  QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window.Window, &enter);
  EXPECT_TRUE(enter.isAccepted());
  EXPECT_EQ(enter.dropAction(), Qt::CopyAction);

  int overs = 0;
  window.Target->OnDragOver = [&overs](bool& accept) {
    ++overs;
    accept = false;
  };
  QDragMoveEvent move(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window.Window, &move);
  EXPECT_EQ(overs, 1);
  EXPECT_FALSE(move.isAccepted());
}

TEST(URLDropTarget, ReceivesNoDropAfterADragEnterHandlerRefusedTheDrag) {
  TDropWindow window;
  window.Target->OnDragEnter = [](bool& accept) { accept = false; };
  std::unique_ptr<QMimeData> data(Text(QStringLiteral("https://example.org/feed.xml")));
  EXPECT_FALSE(window.Drop(*data));
  EXPECT_TRUE(window.Events.empty());
  EXPECT_TRUE(window.Target->DroppedURL().isEmpty());
}

TEST(URLDropTarget, RaisesDragEnterAndDragLeave) {
  TDropWindow window;
  std::vector<const char*> seen;
  window.Target->OnDragEnter = [&seen](bool&) { seen.push_back("enter"); };
  window.Target->OnDragLeave = [&seen](bool&) { seen.push_back("leave"); };
  QMimeData data;
  QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window.Window, &enter);
  QDragLeaveEvent leave;
  QCoreApplication::sendEvent(&window.Window, &leave);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_STREQ(seen[0], "enter");
  EXPECT_STREQ(seen[1], "leave");
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}
