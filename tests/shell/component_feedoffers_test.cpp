#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <vector>

#include "FeedOffers.h"
#include "UfrmAddFeed.h"
#include "component_support.h"

namespace vantle {
namespace {

using test::TFeedFiles;

const QString CouldNotRetrieve = QStringLiteral("Error: Could not retrieve feed using this link");

class FeedOffersInTheDialog : public testing::Test {
 protected:
  QString Write(const QString& name, const QByteArray& content) {
    return FFiles.Write(name, content);
  }
  QString Feed(const QString& name, const QByteArray& title) { return FFiles.Feed(name, title); }

  // A page naming a feed at each href, titled by `titles` where one is given.
  QString Page(const std::vector<QByteArray>& hrefs, const std::vector<QByteArray>& titles = {}) {
    QByteArray head;
    for (size_t i = 0; i < hrefs.size(); ++i) {
      head += "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"" + hrefs[i] + "\"";
      if (i < titles.size()) head += " title=\"" + titles[i] + "\"";
      head += ">";
    }
    return Write(QStringLiteral("index.html"),
                 "<html><head>" + head + "</head><body><p>Welcome</body></html>");
  }

  // The texts of the offers shown, in order.
  static QStringList Offers(const TfrmAddFeed& dialog) {
    QStringList texts;
    for (QPushButton* button : dialog.pnlOffers->Buttons())
      if (!button->isHidden()) texts << button->text();
    return texts;
  }

  TFeedFiles FFiles;
};

TEST_F(FeedOffersInTheDialog, OffersUpToThreeFeedsOfAPageAndChoosingOneEndsInLinkOK) {
  Feed(QStringLiteral("news.xml"), "Daily News");
  TfrmAddFeed dialog(nullptr);
  dialog.edLink->setText(Page({"news.xml", "b.xml", "c.xml", "d.xml"}, {"News of the day", ""}));
  dialog.btnTest->click();
  EXPECT_EQ(dialog.lblMessage->text(), CouldNotRetrieve);
  EXPECT_EQ(Offers(dialog),
            (QStringList{QStringLiteral("News of the day"), FFiles.Path(QStringLiteral("b.xml")),
                         FFiles.Path(QStringLiteral("c.xml"))}));
  EXPECT_GT(dialog.pnlOffers->height(), 0);
  EXPECT_EQ(dialog.size(), QSize(520, 142 + dialog.pnlOffers->height()));
  EXPECT_EQ(dialog.minimumSize(), dialog.size());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  dialog.pnlOffers->Buttons()[0]->click();
  EXPECT_EQ(dialog.edLink->text(), FFiles.Path(QStringLiteral("news.xml")));
  EXPECT_EQ(dialog.lblMessage->text(), QStringLiteral("Link OK"));
  EXPECT_EQ(dialog.edTitle->text(), QStringLiteral("Daily News"));
  EXPECT_TRUE(dialog.pnlOffers->isHidden());
  EXPECT_EQ(dialog.size(), QSize(520, 184));
}

TEST_F(FeedOffersInTheDialog, OffersGoAndTheDialogShrinksWhenTheUserTestsAnotherLink) {
  TfrmAddFeed dialog(nullptr);
  dialog.edLink->setText(Page({"gone.xml"}));
  dialog.TestLink();
  ASSERT_EQ(Offers(dialog).size(), 1);
  // The offered feed itself fails: it offers nothing, so the dialog is as before the page.
  dialog.pnlOffers->Buttons()[0]->click();
  EXPECT_EQ(dialog.lblMessage->text(), CouldNotRetrieve);
  EXPECT_TRUE(Offers(dialog).isEmpty());
  EXPECT_TRUE(dialog.pnlOffers->isHidden());
  EXPECT_EQ(dialog.size(), QSize(520, 142));
  EXPECT_EQ(dialog.minimumSize(), dialog.size());
}

TEST_F(FeedOffersInTheDialog, TheRedMessageTellsTheLibrarysReasonOnHovering) {
  struct Case {
    QString link;
    QString reason;
  };
  const QString missing = FFiles.Path(QStringLiteral("missing.xml"));
  const std::vector<Case> cases = {
      {missing, missing + QStringLiteral(": cannot open the file: No such file or directory")},
      {Write(QStringLiteral("untitled.xml"), "<rss><channel><link>l</link></channel></rss>"),
       QStringLiteral("Required Field Missing. Field: title")},
      {Write(QStringLiteral("page.xml"), "<html/>"), QStringLiteral("unkown format: html")},
  };
  TfrmAddFeed dialog(nullptr);
  for (const Case& c : cases) {
    dialog.edLink->setText(c.link);
    dialog.TestLink();
    EXPECT_EQ(dialog.lblMessage->text(), CouldNotRetrieve);
    EXPECT_EQ(dialog.lblMessage->toolTip(), c.reason);
  }
  dialog.edLink->setText(QStringLiteral(" "));
  dialog.TestLink();
  EXPECT_EQ(dialog.lblMessage->toolTip(), QString()) << "a message that is no failure";
  dialog.edLink->setText(Feed(QStringLiteral("good.xml"), "Good"));
  dialog.TestLink();
  EXPECT_EQ(dialog.lblMessage->text(), QStringLiteral("Link OK"));
  EXPECT_EQ(dialog.lblMessage->toolTip(), QString());
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}
