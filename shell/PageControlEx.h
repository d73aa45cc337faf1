#pragma once

#include <QTabWidget>

namespace vantle {

// A page control whose pages fill the whole control and are switched by code only: once
// HideTabs has run, no tab strip shows.
class TPageControlEx : public QTabWidget {
  Q_OBJECT

 public:
  explicit TPageControlEx(QWidget* parent = nullptr);
  // Shows `page`, one of the control's pages.
  void SetActivePage(QWidget* page);
  // The page shown.
  QWidget* ActivePage() const;
};

}  // namespace vantle
