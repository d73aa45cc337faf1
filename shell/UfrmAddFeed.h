#pragma once

#include <QDialog>
#include <QString>

class QColor;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantle {

class IFeedState;
class TFeedOffers;

// The dialog result of a confirmed Delete (QDialog::Accepted is OK, Rejected is cancel).
inline constexpr int mrDelete = 3;

// The New Feed / Edit Feed dialog. In New mode it tests a typed link through a temporary
// feed reader and proposes the feed's title; in Edit mode the link is frozen and the user
// renames, moves or deletes the feed.
class TfrmAddFeed : public QDialog {
  Q_OBJECT

 public:
  // New mode: 520 by 142, OK disabled, caption "New Feed".
  explicit TfrmAddFeed(QWidget* owner);

  // Test then asks the server each time (conditionally), keeping what it learns in `state`;
  // without one it fetches as if nothing were kept.
  void UseFeedState(IFeedState* state) { FFeedState = state; }
  // Tries the typed link and takes the feed's title.
  void TestLink();
  // The state after a successful test.
  void ShowLinkOK();
  // Turns the dialog into the Edit Feed form for `link` and `title`.
  void SetEditMode(const QString& link, const QString& title);

  // After OK: the link as typed and the title trimmed.
  const QString& FeedLink() const { return FFeedLink; }
  const QString& FeedTitle() const { return FFeedTitle; }

  QLineEdit* edLink;
  QPushButton* btnTest;
  QLabel* lblMessage;
  QLineEdit* edTitle;
  QComboBox* comboGroups;
  QPushButton* btnCancel;
  QPushButton* btnDelete;
  QPushButton* btnOK;
  // The feeds offered after a test of a page that names them.
  TFeedOffers* pnlOffers;

 protected:
  // A close during Test aborts the test and closes the dialog once it has ended.
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* CreateLinkBand();
  QWidget* CreateTitleBand();
  QWidget* CreateButtonBand();
  void Expand();
  void btnTestClick();
  void edTitleChange();
  void btnOKClick();
  void btnCancelClick();
  void btnDeleteClick();
  void ShowMessage(const QString& text, const QColor& colour);

  QWidget* FTitleBand = nullptr;
  QString FFeedLink;
  QString FFeedTitle;
  IFeedState* FFeedState = nullptr;
};

}  // namespace vantle
