#include "NameQuery.h"

#include <QApplication>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLayout>
#include <QLineEdit>

namespace vantle {

namespace {

// A title bar holds the window's icon and three buttons beside its caption.
constexpr int TitleBarRoom = 160;

// The width a title bar needs for `caption`, reckoned in the desktop's font, bold, as title
// bars commonly draw it: the reader window's small font would give a box too narrow.
int TitleWidth(const QString& caption) {
  QFont font = QApplication::font();
  font.setBold(true);
  return QFontMetrics(font).horizontalAdvance(caption) + TitleBarRoom;
}

}  // namespace

bool AskName(QWidget* parent, const QString& caption, const QString& prompt, QString& text) {
  QInputDialog query(parent);
  query.setWindowTitle(caption);
  query.setLabelText(prompt);
  query.setTextValue(QString());
  // The query sizes itself from its contents, so its text box is made as wide as needed.
  if (auto* edit = query.findChild<QLineEdit*>()) {
    const QMargins margins =
        query.layout() != nullptr ? query.layout()->contentsMargins() : QMargins();
    edit->setMinimumWidth(TitleWidth(caption) - margins.left() - margins.right());
  }
  if (query.exec() != QDialog::Accepted) {
    return false;
  }
  text = query.textValue();
  return true;
}

}  // namespace vantle
