#include <QFile>
#include <QPdfDocument>

#include "component_support.h"

namespace vantle {
namespace {

const QString GuidePath = QStringLiteral(VANTLE_GUIDE_PDF);

TEST(UserGuide, IsWrittenBesideTheExecutableByTheBuild) {
  EXPECT_TRUE(GuidePath.endsWith(QStringLiteral("/Vantle_UserGuide.pdf")));
  QFile guide(GuidePath);
  ASSERT_TRUE(guide.open(QIODevice::ReadOnly)) << GuidePath.toStdString();
  EXPECT_EQ(guide.read(5), QByteArray("%PDF-"));
}

TEST(UserGuide, IsAReadablePdfWithPagesAndItsTitle) {
  QPdfDocument document;
  document.load(GuidePath);
  ASSERT_EQ(document.status(), QPdfDocument::Status::Ready);
  EXPECT_GE(document.pageCount(), 2);
  EXPECT_EQ(document.metaData(QPdfDocument::MetaDataField::Title).toString(),
            QStringLiteral("Vantle User Guide"));
}

TEST(UserGuide, TellsWhereTheDataLivesAndHowToAddAFeed) {
  QPdfDocument document;
  document.load(GuidePath);
  ASSERT_EQ(document.status(), QPdfDocument::Status::Ready);
  QString text;
  for (int page = 0; page < document.pageCount(); ++page) {
    text += document.getAllText(page).text() + QLatin1Char('\n');
  }
  for (const char* phrase :
       {"Adding a group", "Adding a feed", "Switching styles", "Back and Forward", "Dropping links",
        "Where your data lives", "~/.local/share/vantle/Data/", "Settings.ruv",
        "Checking all feeds", "Ctrl+R", "check_interval_minutes"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(phrase))) << phrase;
  }
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}
