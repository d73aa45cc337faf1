#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "UfrmAddFeed.h"
#include "UfrmGroup.h"
#include "component_support.h"

namespace vantle {
namespace {

using test::AnswerNextBox;

const QColor Navy(0, 0, 128);
const QColor Red(255, 0, 0);

// The Edit Group dialog for the group at `index` of the groups News, Sport, Weather.
struct TGroupDialog {
  explicit TGroupDialog(int index = 0) {
    groups.addItems({QStringLiteral("News"), QStringLiteral("Sport"), QStringLiteral("Weather")});
    dialog.GroupList = &groups;
    dialog.GroupIndex = index;
    dialog.edTitle->setText(groups.itemText(index));
  }

  // Types `title`, presses OK and tells whether the dialog closed with OK.
  bool PressOK(const QString& title) {
    dialog.setResult(-1);
    dialog.edTitle->setText(title);
    dialog.Button2->click();
    return dialog.result() == QDialog::Accepted;
  }

  QColor MessageColour() const { return dialog.lblMessage->palette().color(QPalette::WindowText); }

  QComboBox groups;
  TfrmGroup dialog{nullptr};
};

TEST(GroupDialog, OpensAtItsDesignedPlaceAndSizeWithItsTexts) {
  TGroupDialog group;
  EXPECT_EQ(group.dialog.windowTitle(), QStringLiteral("Edit Group"));
  EXPECT_EQ(group.dialog.size(), QSize(332, 136));
  EXPECT_EQ(group.dialog.pos(), QPoint(478, 427));
  EXPECT_EQ(group.dialog.edTitle->width(), 230);
  EXPECT_TRUE(group.dialog.lblMessage->text().isEmpty());
  EXPECT_EQ(group.dialog.Button1->text(), QStringLiteral("Cancel"));
  EXPECT_EQ(group.dialog.Button3->text(), QStringLiteral("Delete"));
  EXPECT_EQ(group.dialog.Button2->text(), QStringLiteral("OK"));
  bool captioned = false;
  for (QLabel* label : group.dialog.findChildren<QLabel*>()) {
    captioned = captioned || label->text() == QStringLiteral("Group Title:");
  }
  EXPECT_TRUE(captioned);
}

TEST(GroupDialog, RefusesAnEmptyOrBlankTitleInNavy) {
  TGroupDialog group;
  for (const QString& title : {QString(), QStringLiteral("   ")}) {
    EXPECT_FALSE(group.PressOK(title));
    EXPECT_EQ(group.dialog.lblMessage->text(),
              QStringLiteral("Please enter a title for this group"));
    EXPECT_EQ(group.MessageColour(), Navy);
  }
}

TEST(GroupDialog, AcceptsANameNoOtherGroupHas) {
  TGroupDialog group;
  EXPECT_TRUE(group.PressOK(QStringLiteral("Science")));
}

TEST(GroupDialog, AcceptsItsOwnNameAndAChangeOfCaseOnly) {
  TGroupDialog group(0);
  EXPECT_TRUE(group.PressOK(QStringLiteral("News")));
  EXPECT_TRUE(group.PressOK(QStringLiteral("news")));
  EXPECT_TRUE(group.PressOK(QStringLiteral("  NEWS  ")));
}

TEST(GroupDialog, RefusesAnotherGroupsNameIgnoringCaseInRed) {
  TGroupDialog group(0);
  for (const QString& taken : {QStringLiteral("Sport"), QStringLiteral("weather")}) {
    EXPECT_FALSE(group.PressOK(taken)) << taken.toStdString();
    EXPECT_EQ(group.dialog.lblMessage->text(), QStringLiteral("Name already in used"));
    EXPECT_EQ(group.MessageColour(), Red);
  }
}

TEST(GroupDialog, ComparesWithTheGroupAtItsOwnIndex) {
  TGroupDialog group(2);
  EXPECT_TRUE(group.PressOK(QStringLiteral("weather")));
  EXPECT_FALSE(group.PressOK(QStringLiteral("news")));
}

TEST(GroupDialog, RefusesANameTheFileSystemCannotTakeAndStaysOpen) {
  TGroupDialog group(1);
  for (const char* bad : {"a/b", "..", ".", "...", "a\\b", "x:y", "wild*", "why?", "say\"", "<tag>",
                          "pipe|", "two words", "../News"}) {
    EXPECT_FALSE(group.PressOK(QString::fromUtf8(bad))) << bad;
    EXPECT_EQ(group.MessageColour(), Red) << bad;
    EXPECT_NE(group.dialog.lblMessage->text(), QStringLiteral("Name already in used")) << bad;
    EXPECT_FALSE(group.dialog.lblMessage->text().isEmpty()) << bad;
  }
}

TEST(GroupDialog, KeepsANameWithASpaceTheGroupAlreadyHas) {
  QComboBox groups;
  groups.addItem(QStringLiteral("My WebFeeds"));
  TfrmGroup dialog(nullptr);
  dialog.GroupList = &groups;
  dialog.GroupIndex = 0;
  dialog.edTitle->setText(QStringLiteral("My WebFeeds"));
  dialog.Button2->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(GroupDialog, AcceptsNamesWithDotsThatAreNotOnlyDots) {
  TGroupDialog group;
  EXPECT_TRUE(group.PressOK(QStringLiteral("v1.2")));
  EXPECT_TRUE(group.PressOK(QStringLiteral(".hidden-ish")));
  EXPECT_TRUE(group.PressOK(QStringLiteral("Café")));
}

TEST(GroupDialog, DeleteAskedAndConfirmedClosesWithTheDeleteResult) {
  TGroupDialog group;
  auto answer = AnswerNextBox(QMessageBox::Yes);
  QTimer::singleShot(0, group.dialog.Button3, &QPushButton::click);
  const int result = group.dialog.exec();
  EXPECT_TRUE(answer->Seen);
  EXPECT_EQ(answer->Text,
            QStringLiteral("Are you sure you want to delete this group and all its feeds?"));
  EXPECT_EQ(result, mrDelete);
}

TEST(GroupDialog, DeleteCancelledKeepsTheDialogOpen) {
  TGroupDialog group;
  auto answer = AnswerNextBox(QMessageBox::Cancel);
  group.dialog.setResult(-1);
  group.dialog.show();
  group.dialog.Button3->click();
  EXPECT_TRUE(answer->Seen);
  EXPECT_TRUE(group.dialog.isVisible());
  EXPECT_EQ(group.dialog.result(), -1);
}

TEST(GroupDialog, CancelClosesWithCancel) {
  TGroupDialog group;
  QTimer::singleShot(0, group.dialog.Button1, &QPushButton::click);
  EXPECT_EQ(group.dialog.exec(), QDialog::Rejected);
}

TEST(GroupName, IsValidUnlessItHoldsAForbiddenCharacterOrOnlyDots) {
  EXPECT_TRUE(IsValidGroupName(QStringLiteral("News")));
  EXPECT_TRUE(IsValidGroupName(QStringLiteral("a.b")));
  EXPECT_FALSE(IsValidGroupName(QStringLiteral("..")));
  EXPECT_FALSE(IsValidGroupName(QStringLiteral("a b")));
  EXPECT_FALSE(IsValidGroupName(QStringLiteral("a>b")));
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}
