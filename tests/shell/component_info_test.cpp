#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QUrl>

#include "LinkLabel.h"
#include "UfrmVantleInfo.h"
#include "component_support.h"

namespace vantle {
namespace {

using test::AnswerNextBox;

// Catches what the components ask the desktop to open, instead of opening it.
class TOpenedUrls : public QObject {
  Q_OBJECT

 public:
  TOpenedUrls() {
    for (const char* scheme : {"http", "https", "mailto", "file"}) {
      QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Open");
    }
  }
  ~TOpenedUrls() override {
    for (const char* scheme : {"http", "https", "mailto", "file"}) {
      QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
  }

  QList<QUrl> Opened;

 public slots:
  void Open(const QUrl& url) { Opened.append(url); }
};

// Clicks `widget` with the left button, as the user would.
void Click(QWidget& widget) {
  const QPointF centre = QRectF(widget.rect()).center();
  QMouseEvent press(QEvent::MouseButtonPress, centre, widget.mapToGlobal(centre), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, centre, widget.mapToGlobal(centre),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &press);
  QCoreApplication::sendEvent(&widget, &release);
}

bool HasLabel(const QWidget& window, const QString& text) {
  for (const QLabel* label : window.findChildren<QLabel*>()) {
    if (label->text() == text) {
      return true;
    }
  }
  return false;
}

const QLabel* LabelWithText(const QWidget& window, const QString& text) {
  for (const QLabel* label : window.findChildren<QLabel*>()) {
    if (label->text() == text) {
      return label;
    }
  }
  return nullptr;
}

TEST(LinkLabel, IsBoldNavyWithTheHandCursor) {
  TLinkLabel label;
  EXPECT_TRUE(label.font().bold());
  EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 128));
  EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
}

TEST(LinkLabel, AClickRaisesClickedThenOpensTheLink) {
  TOpenedUrls opened;
  TLinkLabel label;
  label.resize(100, 20);
  label.Link = QStringLiteral("https://example.org/page");
  int clicks = 0;
  QObject::connect(&label, &TLinkLabel::clicked, [&] {
    ++clicks;
    EXPECT_TRUE(opened.Opened.isEmpty()) << "clicked() comes before the link opens";
  });
  Click(label);
  EXPECT_EQ(clicks, 1);
  ASSERT_EQ(opened.Opened.size(), 1);
  EXPECT_EQ(opened.Opened[0], QUrl(QStringLiteral("https://example.org/page")));
}

TEST(LinkLabel, ARightClickOpensNothing) {
  TOpenedUrls opened;
  TLinkLabel label;
  label.resize(100, 20);
  label.Link = QStringLiteral("https://example.org/page");
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::RightButton,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&label, &release);
  EXPECT_TRUE(opened.Opened.isEmpty());
}

TEST(InformationWindow, ShowsItsCaptionSizeAndTexts) {
  TfrmVantleInfo info(nullptr);
  EXPECT_EQ(info.windowTitle(), QStringLiteral("Vantle - Information"));
  EXPECT_EQ(info.size(), QSize(413, 269));
  for (const char* text : {"Vantle", "Simple Web Feed Reader", "Program Version: ", "Website: ",
                           "Comments And Suggestions:", "Email:", "Help:", " "}) {
    EXPECT_TRUE(HasLabel(info, QString::fromLatin1(text))) << text;
  }
  EXPECT_EQ(info.Label10->text(), QStringLiteral("Vantle User Guide"));
  EXPECT_TRUE(info.Label10->font().bold());
  EXPECT_EQ(info.Label10->palette().color(QPalette::WindowText), QColor(0, 0, 128));
  EXPECT_EQ(info.Label10->cursor().shape(), Qt::PointingHandCursor);
}

TEST(InformationWindow, ShowsTheVersionTheBuildDefinesInBold) {
  TfrmVantleInfo info(nullptr);
  const QLabel* version = LabelWithText(info, QStringLiteral(VANTLE_VERSION));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->text(), QStringLiteral("1.0"));
  EXPECT_TRUE(version->font().bold());
}

TEST(InformationWindow, UsesTahomaAtTheGivenPixelSizesForTheNames) {
  TfrmVantleInfo info(nullptr);
  const QLabel* name = LabelWithText(info, QStringLiteral("Vantle"));
  const QLabel* subtitle = LabelWithText(info, QStringLiteral("Simple Web Feed Reader"));
  ASSERT_NE(name, nullptr);
  ASSERT_NE(subtitle, nullptr);
  EXPECT_EQ(name->font().family(), QStringLiteral("Tahoma"));
  EXPECT_EQ(name->font().pixelSize(), 19);
  EXPECT_EQ(subtitle->font().pixelSize(), 13);
}

TEST(InformationWindow, ShowsA49By47Picture) {
  TfrmVantleInfo info(nullptr);
  bool found = false;
  for (const QLabel* label : info.findChildren<QLabel*>()) {
    if (!label->pixmap().isNull()) {
      found = true;
      EXPECT_EQ(label->size(), QSize(49, 47));
    }
  }
  EXPECT_TRUE(found);
}

TEST(InformationWindow, TheWebAndMailLinksOpenTheSiteAndAMailToTheAddress) {
  TOpenedUrls opened;
  TfrmVantleInfo info(nullptr);
  info.show();
  EXPECT_EQ(info.lblWebLink->text(), QStringLiteral("https://vantle.example.org"));
  EXPECT_EQ(info.lblEmailLink->text(), QStringLiteral("feedback@vantle.example.org"));
  Click(*info.lblWebLink);
  Click(*info.lblEmailLink);
  ASSERT_EQ(opened.Opened.size(), 2);
  EXPECT_EQ(opened.Opened[0], QUrl(QStringLiteral("https://vantle.example.org")));
  EXPECT_EQ(opened.Opened[1], QUrl(QStringLiteral("mailto:feedback@vantle.example.org")));
}

TEST(InformationWindow, LooksForTheGuideBesideTheExecutable) {
  TfrmVantleInfo info(nullptr);
  EXPECT_EQ(info.GuidePath,
            QDir(QCoreApplication::applicationDirPath()).filePath("Vantle_UserGuide.pdf"));
}

TEST(InformationWindow, AClickOnTheGuideLabelOpensTheGuideWhenItIsThere) {
  TOpenedUrls opened;
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString guide = dir.filePath(QStringLiteral("Vantle_UserGuide.pdf"));
  QFile file(guide);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("%PDF-1.4\n");
  file.close();

  TfrmVantleInfo info(nullptr);
  info.GuidePath = guide;
  info.show();
  Click(*info.Label10);
  ASSERT_EQ(opened.Opened.size(), 1);
  EXPECT_EQ(opened.Opened[0], QUrl::fromLocalFile(guide));
}

TEST(InformationWindow, SaysSoWhenTheGuideIsMissing) {
  TOpenedUrls opened;
  QTemporaryDir dir;
  TfrmVantleInfo info(nullptr);
  info.GuidePath = dir.filePath(QStringLiteral("Vantle_UserGuide.pdf"));
  auto answer = AnswerNextBox(QMessageBox::Ok);
  info.Label10Click();
  EXPECT_TRUE(answer->Seen);
  EXPECT_EQ(
      answer->Text,
      QStringLiteral("Vantle user guide pdf file could not be found in application directory."));
  EXPECT_TRUE(opened.Opened.isEmpty());
}

TEST(InformationWindow, TakesADirectoryOfTheGuidesNameForAMissingGuide) {
  TOpenedUrls opened;
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Vantle_UserGuide.pdf")));
  TfrmVantleInfo info(nullptr);
  info.GuidePath = dir.filePath(QStringLiteral("Vantle_UserGuide.pdf"));
  auto answer = AnswerNextBox(QMessageBox::Ok);
  info.Label10Click();
  EXPECT_TRUE(answer->Seen);
  EXPECT_TRUE(opened.Opened.isEmpty());
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}

#include "component_info_test.moc"
