#include "GroupNewsMarks.h"

#include <QComboBox>
#include <QPixmap>

#include "FeedMarkPainter.h"

namespace vantle {

namespace {

bool Marked(const QComboBox& groups, int index, const std::set<std::string>& withNews) {
  return withNews.count(groups.itemText(index).toStdString()) > 0;
}

// Takes the dot's room, so that the names of a list with dots stay in line.
QIcon BlankIcon() {
  QPixmap blank(NewItemsIcon().availableSizes().value(0));
  blank.fill(Qt::transparent);
  return QIcon(blank);
}

}  // namespace

void MarkGroupsWithNews(QComboBox& groups, const std::set<std::string>& withNews) {
  bool any = false;
  for (int i = 0; i < groups.count() && !any; ++i) any = Marked(groups, i, withNews);
  const QIcon dot = any ? NewItemsIcon() : QIcon();
  const QIcon blank = any ? BlankIcon() : QIcon();
  for (int i = 0; i < groups.count(); ++i)
    groups.setItemIcon(i, Marked(groups, i, withNews) ? dot : blank);
}

}  // namespace vantle
