#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "UfrmAddFeed.h"
#include "component_support.h"

namespace vantle {
namespace {

using test::AnswerNextBox;
using test::TFeedFiles;

const QColor Navy(0, 0, 128);
const QColor Green(0, 128, 0);
const QColor Red(255, 0, 0);

QColor MessageColour(const TfrmAddFeed& dialog) {
  return dialog.lblMessage->palette().color(QPalette::WindowText);
}

bool SizeIsLocked(const QWidget& form) {
  return form.minimumSize() == form.size() && form.maximumSize() == form.size();
}

TEST(FeedDialog, OpensCollapsedInNewMode) {
  TfrmAddFeed dialog(nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("New Feed"));
  EXPECT_EQ(dialog.size(), QSize(520, 142));
  EXPECT_TRUE(SizeIsLocked(dialog));
  EXPECT_FALSE(dialog.btnOK->isEnabled());
  EXPECT_TRUE(dialog.lblMessage->text().isEmpty());
  EXPECT_TRUE(dialog.btnDelete->isHidden());
  EXPECT_FALSE(dialog.btnTest->isHidden());
  EXPECT_EQ(dialog.btnTest->text(), QStringLiteral("Test"));
  EXPECT_EQ(dialog.btnCancel->text(), QStringLiteral("Cancel"));
  EXPECT_EQ(dialog.btnOK->text(), QStringLiteral("OK"));
  EXPECT_EQ(dialog.btnDelete->text(), QStringLiteral("Delete"));
  EXPECT_EQ(dialog.edLink->width(), 394);
  EXPECT_EQ(dialog.edTitle->width(), 240);
  EXPECT_EQ(dialog.comboGroups->width(), 145);
}

TEST(FeedDialog, RefusesAnEmptyOrBlankLinkWithoutLoading) {
  TfrmAddFeed dialog(nullptr);
  for (const QString& link : {QString(), QStringLiteral("    ")}) {
    dialog.edLink->setText(link);
    dialog.btnTest->click();
    EXPECT_EQ(dialog.lblMessage->text(), QStringLiteral("Please provide a valid link"));
    EXPECT_EQ(MessageColour(dialog), Navy);
    EXPECT_EQ(dialog.height(), 142);
    EXPECT_TRUE(dialog.edLink->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
}

TEST(FeedDialog, ASuccessfulTestProposesTheTitleAndExpands) {
  TFeedFiles files;
  TfrmAddFeed dialog(nullptr);
  dialog.edLink->setText(files.Feed(QStringLiteral("news.xml"), "Daily News"));
  dialog.btnTest->click();
  EXPECT_EQ(dialog.lblMessage->text(), QStringLiteral("Link OK"));
  EXPECT_EQ(MessageColour(dialog), Green);
  EXPECT_EQ(dialog.edTitle->text(), QStringLiteral("Daily News"));
  EXPECT_EQ(dialog.size(), QSize(520, 184));
  EXPECT_TRUE(SizeIsLocked(dialog));
  EXPECT_FALSE(dialog.edLink->isEnabled());
  EXPECT_FALSE(dialog.btnTest->isEnabled());
  EXPECT_TRUE(dialog.btnOK->isEnabled());
  EXPECT_FALSE(dialog.edTitle->isHidden());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(FeedDialog, ProposesTitleRequiredForAFeedWithoutATitle) {
  TFeedFiles files;
  TfrmAddFeed dialog(nullptr);
  // A blank title; the feed model reads it as missing.
  dialog.edLink->setText(files.Feed(QStringLiteral("untitled.xml"), "<![CDATA[  ]]>"));
  dialog.TestLink();
  EXPECT_EQ(dialog.lblMessage->text(), QStringLiteral("Link OK"));
  EXPECT_EQ(dialog.edTitle->text(), QStringLiteral("Title Required"));
}

TEST(FeedDialog, AFailedTestSaysSoInRedAndKeepsItsState) {
  TFeedFiles files;
  TfrmAddFeed dialog(nullptr);
  for (const QString& link :
       {files.Missing(), files.Write(QStringLiteral("page.html"), "<html><body/></html>"),
        files.Write(QStringLiteral("broken.xml"), "<rss><channel>")}) {
    dialog.edLink->setText(link);
    dialog.TestLink();
    EXPECT_EQ(dialog.lblMessage->text(),
              QStringLiteral("Error: Could not retrieve feed using this link"))
        << link.toStdString();
    EXPECT_EQ(MessageColour(dialog), Red);
    EXPECT_EQ(dialog.height(), 142);
    EXPECT_TRUE(dialog.edLink->isEnabled());
    EXPECT_TRUE(dialog.btnTest->isEnabled());
    EXPECT_FALSE(dialog.btnOK->isEnabled());
    EXPECT_EQ(dialog.edLink->text(), link);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
}

TEST(FeedDialog, CanBeTestedAgainAfterAFailure) {
  TFeedFiles files;
  TfrmAddFeed dialog(nullptr);
  dialog.edLink->setText(files.Missing());
  dialog.TestLink();
  dialog.edLink->setText(files.Feed(QStringLiteral("news.xml"), "News"));
  dialog.TestLink();
  EXPECT_EQ(dialog.lblMessage->text(), QStringLiteral("Link OK"));
  EXPECT_EQ(dialog.height(), 184);
}

TEST(FeedDialog, TestsTheLinkAsTypedWithItsBlanks) {
  TFeedFiles files;
  // Only the untrimmed text names this file.
  const QString path = files.Feed(QStringLiteral("spaced.xml  "), "Spaced");
  TfrmAddFeed dialog(nullptr);
  dialog.edLink->setText(path);
  dialog.TestLink();
  EXPECT_EQ(dialog.lblMessage->text(), QStringLiteral("Link OK"));
  dialog.btnOK->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.FeedLink(), path);
}

TEST(FeedDialog, KeepsPaintingAndShowsContactingProviderWhileTheLinkLoads) {
  TFeedFiles files;
  TfrmAddFeed dialog(nullptr);
  dialog.edLink->setText(files.Feed(QStringLiteral("news.xml"), "News"));
  bool testing = true;
  bool ranDuringTest = false;
  QString messageMeanwhile;
  bool busyMeanwhile = false;
  QTimer::singleShot(0, &dialog, [&] {
    ranDuringTest = testing;
    messageMeanwhile = dialog.lblMessage->text();
    busyMeanwhile = QApplication::overrideCursor() != nullptr &&
                    QApplication::overrideCursor()->shape() == Qt::WaitCursor;
  });
  dialog.TestLink();
  testing = false;
  EXPECT_TRUE(ranDuringTest) << "the load let no event through";
  EXPECT_EQ(messageMeanwhile, QStringLiteral("Contacting provider..."));
  EXPECT_TRUE(busyMeanwhile);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(FeedDialog, OKKeepsTheLinkAsTypedAndTheTitleTrimmed) {
  TfrmAddFeed dialog(nullptr);
  dialog.edLink->setText(QStringLiteral("  https://example.org/feed.xml "));
  dialog.edTitle->setText(QStringLiteral("   My Feed  "));
  dialog.ShowLinkOK();
  ASSERT_TRUE(dialog.btnOK->isEnabled());
  dialog.btnOK->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.FeedLink(), QStringLiteral("  https://example.org/feed.xml "));
  EXPECT_EQ(dialog.FeedTitle(), QStringLiteral("My Feed"));
}

TEST(FeedDialog, ABlankTitleDisablesOK) {
  TfrmAddFeed dialog(nullptr);
  dialog.edTitle->setText(QStringLiteral("News"));
  dialog.ShowLinkOK();
  EXPECT_TRUE(dialog.btnOK->isEnabled());
  dialog.edTitle->clear();
  EXPECT_FALSE(dialog.btnOK->isEnabled());
  dialog.edTitle->setText(QStringLiteral("   "));
  EXPECT_FALSE(dialog.btnOK->isEnabled());
  dialog.edTitle->setText(QStringLiteral(" x "));
  EXPECT_TRUE(dialog.btnOK->isEnabled());
}

TEST(FeedDialog, ALinkOKWithoutATitleLeavesOKDisabled) {
  TfrmAddFeed dialog(nullptr);
  dialog.edTitle->setText(QStringLiteral("  "));
  dialog.ShowLinkOK();
  EXPECT_FALSE(dialog.btnOK->isEnabled());
  EXPECT_EQ(dialog.height(), 184);
}

TEST(FeedDialog, EditModeFreezesTheLinkAndShowsDelete) {
  TfrmAddFeed dialog(nullptr);
  dialog.SetEditMode(QStringLiteral("https://example.org/feed.xml"), QStringLiteral("News"));
  dialog.show();
  QApplication::processEvents();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Edit Feed"));
  EXPECT_TRUE(dialog.edLink->isReadOnly());
  EXPECT_EQ(dialog.edLink->text(), QStringLiteral("https://example.org/feed.xml"));
  EXPECT_EQ(dialog.edLink->width(), 460);
  EXPECT_EQ(dialog.edLink->palette().color(QPalette::Base),
            dialog.palette().color(QPalette::Window));
  EXPECT_EQ(dialog.edTitle->text(), QStringLiteral("News"));
  EXPECT_TRUE(dialog.btnTest->isHidden());
  EXPECT_FALSE(dialog.btnDelete->isHidden());
  EXPECT_EQ(dialog.size(), QSize(520, 184));
  EXPECT_TRUE(SizeIsLocked(dialog));
  EXPECT_TRUE(dialog.btnOK->isEnabled());
  EXPECT_EQ(dialog.focusWidget(), dialog.btnCancel);
}

TEST(FeedDialog, EditModeWithABlankTitleHasOKDisabled) {
  TfrmAddFeed dialog(nullptr);
  dialog.SetEditMode(QStringLiteral("https://example.org/feed.xml"), QStringLiteral(" "));
  EXPECT_FALSE(dialog.btnOK->isEnabled());
}

TEST(FeedDialog, DeleteConfirmedClosesWithTheDeleteResult) {
  TfrmAddFeed dialog(nullptr);
  dialog.SetEditMode(QStringLiteral("https://example.org/feed.xml"), QStringLiteral("News"));
  auto answer = AnswerNextBox(QMessageBox::Yes);
  QTimer::singleShot(0, dialog.btnDelete, &QPushButton::click);
  EXPECT_EQ(dialog.exec(), mrDelete);
  EXPECT_TRUE(answer->Seen);
  EXPECT_EQ(answer->Text, QStringLiteral("Are you sure you want to delete this feed?"));
}

TEST(FeedDialog, DeleteCancelledKeepsTheDialogOpen) {
  TfrmAddFeed dialog(nullptr);
  dialog.SetEditMode(QStringLiteral("https://example.org/feed.xml"), QStringLiteral("News"));
  dialog.show();
  dialog.setResult(-1);
  auto answer = AnswerNextBox(QMessageBox::Cancel);
  dialog.btnDelete->click();
  EXPECT_TRUE(answer->Seen);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), -1);
}

TEST(FeedDialog, CancelClosesWithCancel) {
  TfrmAddFeed dialog(nullptr);
  QTimer::singleShot(0, dialog.btnCancel, &QPushButton::click);
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  EXPECT_TRUE(dialog.FeedLink().isEmpty());
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}
