#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantle {

// The Edit Group dialog: renames the group at GroupIndex of GroupList, or deletes it
// (result mrDelete from UfrmAddFeed.h).
class TfrmGroup : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmGroup(QWidget* owner);

  // The position of the edited group in GroupList.
  int GroupIndex = -1;
  // The reader window's group list, read to find duplicate names.
  QComboBox* GroupList = nullptr;

  QLineEdit* edTitle;
  QLabel* lblMessage;
  QPushButton* Button1;  // Cancel
  QPushButton* Button3;  // Delete
  QPushButton* Button2;  // OK

 private:
  void Button2Click();
  void Button3Click();
};

}  // namespace vantle
