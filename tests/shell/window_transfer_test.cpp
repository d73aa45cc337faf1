#include <gmock/gmock.h>

#include <QCollator>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QToolButton>
#include <QUrl>

#include "SubscriptionTransfer.h"
#include "store/DataDirLock.h"
#include "store/GroupStore.h"
#include "store/NameCollation.h"
#include "store/SubscriptionImport.h"
#include "window_fixture.h"

namespace vantle {
namespace {

using test::Box;
using test::TFeedRow;
using test::TModalScript;
using ::testing::ElementsAre;
namespace groupfile = test::groupfile;

// Names of every kind the order must agree on: case, accents, spaces and punctuation
// against the separator, digits, scripts beyond Latin, and texts one a prefix of another.
std::vector<std::string> ManyNames() {
  const std::vector<std::string> stems = {
      "",    "News",   "news",   "NEWS", "Ne",   "Été",   "ete",   "Straße",   "strasse",
      "Ærø", "Zürich", "zurich", "日本", "中文", "Ωmega", "Ñandú", "İstanbul", "ǅ"};
  const std::vector<std::string> tails = {"",  " ", "$",  "_", " Daily", "day",     "é",
                                          "1", "9", "10", "😀", "-x",     "\xC3\x9F"};
  std::vector<std::string> names;
  for (const std::string& stem : stems) {
    for (const std::string& tail : tails) names.push_back(stem + tail);
  }
  return names;
}

int Sign(int value) {
  return (value > 0) - (value < 0);
}

class WindowTransfer : public test::TWindowTest {
 protected:
  TSubscriptionTransfer& Transfer() { return *Window->findChild<TSubscriptionTransfer*>(); }

  std::string WriteOpml(const std::string& opml) {
    const QString path = FRoot.filePath(QStringLiteral("in.opml"));
    test::WriteFile(path, opml);
    return path.toStdString();
  }

  // Imports `opml` from the window and returns the message it shows.
  QString ImportFromWindow(const std::string& opml) {
    QString message;
    TModalScript script;
    script.Then(Box(QMessageBox::Ok, &message));
    const std::string path = WriteOpml(opml);
    test::RunCommand([this, path] {
      TImportFiles files;
      Transfer().Import(path, files);
    });
    EXPECT_TRUE(script.Done());
    return message;
  }

  // Everything of a group file after its first record: the cell records.
  static std::string CellRecords(const std::string& bytes) {
    return bytes.substr(std::min(bytes.size(), bytes.find("TPF0", 4)));
  }
};

TEST_F(WindowTransfer, OrdersNamesAsQtsCollatorInEveryKindOfLocale) {
  const std::vector<std::string> names = ManyNames();
  for (const char* locale : {"C", "en_US", "de_DE", "sv_SE", "tr_TR", "fr_FR", "ja_JP"}) {
    QCollator collator{QLocale(QString::fromLatin1(locale))};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const TNameCollation collation(std::string(locale) + ".UTF-8");
    int disagreements = 0;
    for (const std::string& a : names) {
      for (const std::string& b : names) {
        const int qt = Sign(collator.compare(QString::fromStdString(a), QString::fromStdString(b)));
        if (qt != Sign(collation.Compare(a, b)) && ++disagreements < 5) {
          ADD_FAILURE() << locale << ": \"" << a << "\" / \"" << b << "\" Qt gives " << qt;
        }
      }
    }
    EXPECT_EQ(disagreements, 0) << locale;
  }
  // The window's own collation is the one of the locale the process runs in.
  QCollator user;
  user.setCaseSensitivity(Qt::CaseInsensitive);
  for (const std::string& a : names) {
    for (const std::string b : {"News$$$$$$___$$$$$$b", "été", "Zürich"}) {
      EXPECT_EQ(Sign(TNameCollation::User().Compare(a, b)),
                Sign(user.compare(QString::fromStdString(a), QString::fromStdString(b))))
          << a << " / " << b;
    }
  }
}

TEST_F(WindowTransfer, LeavesAGroupFileTheToolWroteByteForByteAsItWasAfterSorting) {
  std::string opml = "<opml><body><outline text=\"All\">";
  int link = 0;
  for (const std::string& title : ManyNames()) {
    if (title.empty() || title == " ") continue;
    // Titles equal ignoring case, with links equal ignoring case: the order of bytes decides.
    opml += "<outline text=\"" + title + "\" xmlUrl=\"http://X/" + std::to_string(link) + "\"/>";
    opml += "<outline text=\"" + title + "\" xmlUrl=\"http://x/" + std::to_string(link++) + "\"/>";
  }
  opml += "</outline></body></opml>";
  TImportFiles files;
  QDir().mkpath(QString::fromStdString(DataDir()));
  ImportOpmlFile(DataDir(), WriteOpml(opml), files);
  const std::string written = ReadData("All.dat");

  Start();
  Window->FeedGrid->FocusCell(2, 17);
  Window->SortFeeds();
  Window->SaveGroup();
  const std::string saved = ReadData("All.dat");
  EXPECT_EQ(CellRecords(saved), CellRecords(written));
  EXPECT_EQ(saved, groupfile::Group(FeedsOnDisk("All"), groupfile::TitleWidthOf(saved),
                                    groupfile::IdOf(saved)));
  EXPECT_GT(FeedsOnDisk("All").size(), 400u);
}

TEST_F(WindowTransfer, ImportsIntoTheCurrentGroupSoThatTheNextSaveKeepsTheNewFeeds) {
  WriteData("News.dat", groupfile::Group({{"a-link", "Alpha"}}));
  Start();
  ASSERT_EQ(Window->CurrentGroup(), "News");
  const QString message = ImportFromWindow(
      "<opml><body><outline text=\"news\"><outline text=\"Beta\" xmlUrl=\"b-link\"/>"
      "<outline text=\"Again\" xmlUrl=\"a-link\"/></outline>"
      "<outline text=\"Tech\"><outline text=\"T\" xmlUrl=\"t\"/></outline></body></opml>");
  EXPECT_EQ(message, "Groups created: 1\nFeeds added: 2\nFeeds skipped: 1");
  EXPECT_EQ(Groups(), (QStringList{"News", "Tech"}));
  EXPECT_EQ(Window->CurrentGroup(), "News");
  const std::vector<TFeedRow> both = {{"a-link", "Alpha"}, {"b-link", "Beta"}};
  EXPECT_EQ(FeedsInList(), both);
  Window->SaveGroup();
  Close();
  EXPECT_EQ(FeedsOnDisk("News"), both);
}

TEST_F(WindowTransfer, ImportsWithNoGroupFromTheMenuOfTheNewGroupButton) {
  Start();
  ASSERT_FALSE(Window->GroupBox->isEnabled());
  QMenu* menu = Window->btnAddGroup->menu();
  ASSERT_NE(menu, nullptr);
  QStringList captions;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) captions << action->text();
    EXPECT_TRUE(action->isEnabled());
  }
  EXPECT_EQ(captions, (QStringList{"New Group...", "Import subscriptions...",
                                   "Export subscriptions...", "Check all feeds"}));
  EXPECT_TRUE(Window->btnAddGroup->isEnabled());

  const QString message = ImportFromWindow(
      "<opml><head><title>From elsewhere</title></head><body>"
      "<outline text=\"Z\" xmlUrl=\"z\"/><outline text=\"Art\"/></body></opml>");
  EXPECT_EQ(message, "Groups created: 2\nFeeds added: 1\nFeeds skipped: 0");
  EXPECT_EQ(Groups(), (QStringList{"Art", "Fromelsewhere"}));
  EXPECT_TRUE(Window->GroupBox->isEnabled());
  EXPECT_EQ(Window->CurrentGroup(), "Art");
  EXPECT_TRUE(Window->btnNewFeed->isEnabled());
}

TEST_F(WindowTransfer, ShowsWhyAFileCannotBeImportedAndChangesNothing) {
  WriteData("News.dat", groupfile::Group({{"a-link", "Alpha"}}));
  Start();
  // What an import starts with: the window writes the current group first.
  Window->SaveGroup();
  const std::string before = ReadData("News.dat");
  QString message;
  TModalScript script;
  script.Then(Box(QMessageBox::Ok, &message));
  const std::string path = WriteOpml("<opml><body><outline text=\"News\">");
  test::RunCommand([this, path] {
    TImportFiles files;
    Transfer().Import(path, files);
  });
  EXPECT_TRUE(message.startsWith(QString::fromStdString("Cannot import \"" + path + "\": ")))
      << message.toStdString();
  EXPECT_EQ(ReadData("News.dat"), before);
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{{"a-link", "Alpha"}}));
}

TEST_F(WindowTransfer, ImportsAnOpmlFileDroppedOntoTheWindow) {
  Start();
  const std::string path = WriteOpml(
      "<opml><body><outline text=\"Dropped\"><outline text=\"D\" xmlUrl=\"d\"/></outline>"
      "</body></opml>");
  QString message;
  TModalScript script;
  script.Then(Box(QMessageBox::Ok, &message));
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
  const QPointF middle = QRectF(Window->rect()).center();
  QDragEnterEvent enter(middle.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Window.get(), &enter);
  QDropEvent drop(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Window.get(), &drop);
  ASSERT_TRUE(test::WaitFor([&] { return script.Done(); }));
  EXPECT_EQ(message, "Groups created: 1\nFeeds added: 1\nFeeds skipped: 0");
  EXPECT_EQ(Groups(), QStringList{"Dropped"});
}

TEST_F(WindowTransfer, TheFileDialogsOpenAtHomeThenWhereTheLastFileWasAndExportAddsOpml) {
  WriteData("News.dat", groupfile::Group({{"a-link", "Alpha"}}));
  Start();
  const QString folder = FRoot.filePath(QStringLiteral("exports"));
  ASSERT_TRUE(QDir().mkpath(folder));
  QString exportOpenedIn;
  QString importOpenedIn;
  TModalScript script;
  script.Then(test::As<QFileDialog>([&](QFileDialog& dialog) {
    exportOpenedIn = dialog.directory().absolutePath();
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(folder + QStringLiteral("/subs"));
    static_cast<QDialog&>(dialog).accept();
  }));
  script.Then(test::As<QFileDialog>([&](QFileDialog& dialog) {
    importOpenedIn = dialog.directory().absolutePath();
    dialog.reject();
  }));
  test::RunCommand([this] { Transfer().ExportClick(); });
  test::RunCommand([this] { Transfer().ImportClick(); });
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(exportOpenedIn, QDir::homePath());
  EXPECT_EQ(importOpenedIn, folder);
  EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"subs.opml"});
}

TEST_F(WindowTransfer, ExportsEveryGroupAndHoldsTheDataDirectorysLockWhileRunning) {
  WriteData("News.dat", groupfile::Group({{"a-link", "Alpha"}}));
  Start();
  EXPECT_TRUE(Transfer().HoldsLock());
  EXPECT_FALSE(TDataDirLock(DataDir()).Held());
  const std::string out = FRoot.filePath(QStringLiteral("out.opml")).toStdString();
  Transfer().Export(out);
  QFile file(QString::fromStdString(out));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains(
      "<outline type=\"rss\" text=\"Alpha\" title=\"Alpha\" xmlUrl=\"a-link\"/>"));
  Close();
  Window.reset();
  EXPECT_TRUE(TDataDirLock(DataDir()).Held());
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunWindowTests(argc, argv);
}
