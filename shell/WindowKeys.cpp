#include "WindowKeys.h"

#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

#include <initializer_list>

#include "FeedListKeys.h"
#include "FeedListMarks.h"
#include "GridControl.h"
#include "GroupBoxClicks.h"
#include "PageControlEx.h"
#include "UfrmControl.h"
#include "WebBrowser.h"

namespace vantle {

namespace {

void Chain(std::initializer_list<QWidget*> widgets) {
  QWidget* previous = nullptr;
  for (QWidget* widget : widgets) {
    if (previous != nullptr) {
      QWidget::setTabOrder(previous, widget);
    }
    previous = widget;
  }
}

void AddShortcut(TfrmControl& window, QKeySequence keys, std::function<void()> run) {
  auto* shortcut = new QShortcut(keys, &window);
  QObject::connect(shortcut, &QShortcut::activated, &window, std::move(run));
}

// Reads the feed shown again from its link, selecting its row first. On the error page that
// is the feed whose load failed, the row selected: F5 asks a gone feed again.
void ReloadFeedShown(TfrmControl& window) {
  TGridControl& grid = *window.FeedGrid;
  const int selected = window.SelectedRow();
  const bool failed = window.BasePageControl->ActivePage() == window.ErrorTab && selected >= 0 &&
                      selected < grid.RowCount();
  const std::string link = failed ? grid.Cells(0, selected) : window.CurrentLink();
  if (link.empty() || !grid.isEnabled()) {
    return;
  }
  for (int row = 0; row < grid.RowCount(); ++row) {
    if (grid.Cells(0, row) == link) {
      grid.FocusCell(2, row);
      window.FeedGridSelectRow(row);
      window.ShowFeed(link, TRequestKind::Refresh);
      grid.setFocus();
      break;
    }
  }
  window.UpdateCommands();
}

}  // namespace

void SetUpWindowKeys(TfrmControl& window) {
  Chain({window.GroupBox, window.btnAddGroup, window.btnNewFeed, window.btnEditGroup,
         window.btnEditFeed, window.btnInfo, window.btnBack, window.btnForward,
         window.comboViewStyle, window.FeedGrid});
  // The page comes last, once the browser has made it.
  QObject::connect(window.WebBrowser, &TWebBrowser::viewCreated, &window,
                   [&window](QWidget* view) { QWidget::setTabOrder(window.FeedGrid, view); });
  // The address line of the page is for reading and copying; Tab goes past it.
  window.edLink->setFocusPolicy(Qt::ClickFocus);

  TFeedListActions actions;
  actions.Select = [&window](int row) { window.FeedGridSelectRow(row); };
  actions.Open = [&window](int row) {
    window.RunWindowCommand([&window, row] { window.FeedGridClickCell(row, 2); });
  };
  actions.Delete = [&window] { window.RunWindowCommand([&window] { window.btnDeleteClick(); }); };
  actions.PaintedTitle = [&window](int row) {
    QString painted = QString::fromStdString(window.FeedGrid->Cells(2, row));
    window.FeedGridGetDisplText(2, row, painted);
    return painted;
  };
  actions.Notes = [&window](int row) { return window.FeedMarks().NotesOf(row); };
  new TFeedListKeys(*window.FeedGrid, *window.GRidPop, std::move(actions));
  new TGroupBoxClicks(*window.GroupBox, [&window] {
    window.RunWindowCommand([&window] { window.GroupBoxDblClick(); });
  });

  AddShortcut(window, QKeySequence(Qt::ALT | Qt::Key_Left), [&window] { window.btnBack->click(); });
  AddShortcut(window, QKeySequence(Qt::ALT | Qt::Key_Right),
              [&window] { window.btnForward->click(); });
  AddShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_Q), [&window] { window.close(); });
  AddShortcut(window, QKeySequence(Qt::Key_F5),
              [&window] { window.RunWindowCommand([&window] { ReloadFeedShown(window); }); });
}

}  // namespace vantle
