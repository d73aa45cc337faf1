#include "UfrmGroup.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "UVantleFormUtils.h"
#include "UfrmAddFeed.h"
#include "store/GroupNames.h"

namespace vantle {

namespace {

const QColor Navy(0, 0, 128);
const QColor Red(255, 0, 0);

}  // namespace

bool IsValidGroupName(const QString& name) {
  return IsValidGroupName(std::string_view(name.toStdString()));
}

TfrmGroup::TfrmGroup(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(tr("Edit Group"));
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetNoConstraint);
  layout->setContentsMargins(14, 12, 14, 10);

  auto* titleRow = new QHBoxLayout;
  titleRow->addWidget(new QLabel(tr("Group Title:"), this));
  edTitle = new QLineEdit(this);
  edTitle->setFixedWidth(230);
  titleRow->addWidget(edTitle);
  titleRow->addStretch();
  layout->addLayout(titleRow);

  lblMessage = new QLabel(this);
  lblMessage->setWordWrap(true);
  layout->addWidget(lblMessage);
  layout->addStretch();

  auto* buttons = new QHBoxLayout;
  Button1 = new QPushButton(tr("Cancel"), this);
  Button3 = new QPushButton(tr("Delete"), this);
  Button2 = new QPushButton(tr("OK"), this);
  Button2->setDefault(true);
  buttons->addWidget(Button1);
  buttons->addStretch();
  buttons->addWidget(Button3);
  buttons->addWidget(Button2);
  layout->addLayout(buttons);

  connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
  connect(Button2, &QPushButton::clicked, this, &TfrmGroup::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TfrmGroup::Button3Click);

  resize(332, 136);
  // The dialog keeps its designed screen position rather than centring on the window.
  move(478, 427);
  lblMessage->clear();
}

void TfrmGroup::Button2Click() {
  const QString title = edTitle->text().trimmed();
  if (title.isEmpty()) {
    ShowLabelMessage(*lblMessage, tr("Please enter a title for this group"), Navy);
    return;
  }
  // The name becomes a file name in the data directory; the name kept is never refused.
  if (title != OldName() && !IsValidGroupName(title)) {
    ShowLabelMessage(*lblMessage,
                     tr("A group name cannot contain \\ / : * ? \" < > |, spaces or only dots"),
                     Red);
    return;
  }
  const int found = FindGroup(title);
  if (found < 0 || found == GroupIndex) {
    accept();
    return;
  }
  ShowLabelMessage(*lblMessage, tr("Name already in used"), Red);
}

void TfrmGroup::Button3Click() {
  if (ConfirmYes(this, tr("Are you sure you want to delete this group and all its feeds?"))) {
    done(mrDelete);
  }
}

int TfrmGroup::FindGroup(const QString& name) const {
  if (GroupList == nullptr) {
    return -1;
  }
  std::vector<std::string> names;
  for (int i = 0; i < GroupList->count(); ++i) {
    names.push_back(GroupList->itemText(i).toStdString());
  }
  return FindGroupName(names, name.toStdString());
}

QString TfrmGroup::OldName() const {
  if (GroupList == nullptr || GroupIndex < 0 || GroupIndex >= GroupList->count()) {
    return {};
  }
  return GroupList->itemText(GroupIndex);
}

}  // namespace vantle
