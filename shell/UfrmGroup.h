#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantle {

// True when `name` can name a group file: it holds no character of InvalidNameChars and is
// not made of dots only.
bool IsValidGroupName(const QString& name);

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
  // The position of the entry of GroupList equal to `name` ignoring case, or -1.
  int FindGroup(const QString& name) const;
  // The name the group has now.
  QString OldName() const;
};

}  // namespace vantle
