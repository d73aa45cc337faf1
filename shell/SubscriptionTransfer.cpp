#include "SubscriptionTransfer.h"

#include <QComboBox>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>
#include <QUrl>

#include <ctime>

#include "Exception.h"
#include "GridControl.h"
#include "OpmlFileDialogs.h"
#include "URLDropTarget.h"
#include "UfrmControl.h"
#include "store/DataDirLock.h"
#include "store/GroupFiles.h"
#include "store/SubscriptionImport.h"

namespace vantle {

namespace {

QString CountsText(const TImportCounts& counts) {
  return QStringLiteral("Groups created: %1\nFeeds added: %2\nFeeds skipped: %3")
      .arg(counts.GroupsCreated)
      .arg(counts.FeedsAdded)
      .arg(counts.FeedsSkipped);
}

}  // namespace

TSubscriptionTransfer::TSubscriptionTransfer(TfrmControl& window)
    : QObject(&window), FWindow(window) {
  TransferMenu = new QMenu(&window);
  NewGroup2 = TransferMenu->addAction(tr("New Group..."));
  TransferMenu->addSeparator();
  ImportSubscriptions1 = TransferMenu->addAction(tr("Import subscriptions..."));
  ExportSubscriptions1 = TransferMenu->addAction(tr("Export subscriptions..."));
  // A click still makes a new group; the arrow beside it opens the menu.
  window.btnAddGroup->setMenu(TransferMenu);
  window.btnAddGroup->setPopupMode(QToolButton::MenuButtonPopup);
  // Like every command of the window, these run under its command guard.
  const auto command = [this](void (TSubscriptionTransfer::*handler)()) {
    return [this, handler] { FWindow.RunWindowCommand([this, handler] { (this->*handler)(); }); };
  };
  connect(NewGroup2, &QAction::triggered, this,
          [this] { FWindow.RunWindowCommand([this] { FWindow.btnAddGroupClick(); }); });
  connect(ImportSubscriptions1, &QAction::triggered, this,
          command(&TSubscriptionTransfer::ImportClick));
  connect(ExportSubscriptions1, &QAction::triggered, this,
          command(&TSubscriptionTransfer::ExportClick));

  // A dropped .opml file is imported; any other drop stays a new feed.
  auto dropURL = std::move(window.URLDropTarget->OnDropURL);
  window.URLDropTarget->OnDropURL = [this, dropURL = std::move(dropURL)] {
    const std::string opml = DroppedOpml(FWindow.URLDropTarget->DroppedURL());
    if (opml.empty()) {
      if (dropURL) dropURL();
      return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, opml] {
          FWindow.RunWindowCommand([this, opml] {
            TImportFiles files;
            Import(opml, files);
          });
        },
        Qt::QueuedConnection);
  };

  try {
    FLock = std::make_unique<TDataDirLock>(window.DataDir());
  } catch (const Exception&) {
    // A directory that cannot be locked still serves the window; only the tool is told.
  }
}

TSubscriptionTransfer::~TSubscriptionTransfer() = default;

bool TSubscriptionTransfer::HoldsLock() const {
  return FLock != nullptr && FLock->Held();
}

bool TSubscriptionTransfer::LockHeldElsewhere() const {
  return FLock != nullptr && !FLock->Held();
}

void TSubscriptionTransfer::ImportClick() {
  const QString path = AskOpmlToImport(&FWindow);
  if (path.isEmpty()) return;
  TImportFiles files;
  Import(path.toStdString(), files);
}

void TSubscriptionTransfer::ExportClick() {
  const QString path = AskOpmlToExport(&FWindow);
  if (path.isEmpty()) return;
  Export(path.toStdString());
}

TImportCounts TSubscriptionTransfer::Import(const std::string& path, TImportFiles& files) {
  // What the list holds reaches its file first; the import reads the files.
  if (!FWindow.CurrentGroup().empty()) FWindow.SaveGroup();
  const TImportCounts counts = ImportOpmlFile(FWindow.DataDir(), path, files);
  ReloadGroups();
  QMessageBox::information(&FWindow, QStringLiteral("Vantle"), CountsText(counts));
  return counts;
}

void TSubscriptionTransfer::Export(const std::string& path) {
  WriteGroupFile(path, ExportOpml(FWindow.DataDir(), std::time(nullptr)));
}

// As a switch to the current group that writes nothing: the list from before the import
// must not overwrite what the import wrote.
void TSubscriptionTransfer::ReloadGroups() {
  const QString current = QString::fromStdString(FWindow.CurrentGroup());
  FWindow.FillGroupList();
  QComboBox& groups = *FWindow.GroupBox;
  if (groups.count() == 0) return;
  groups.setEnabled(true);
  const int index = groups.findText(current);
  groups.setCurrentIndex(index >= 0 ? index : 0);
  FWindow.ShowSelectedGroup();
}

std::string TSubscriptionTransfer::DroppedOpml(const QString& dropped) {
  const QString text = dropped.trimmed();
  const QUrl url(text);
  const QString path = url.isLocalFile() ? url.toLocalFile() : text;
  const QFileInfo file(path);
  if (!path.endsWith(QStringLiteral(".opml"), Qt::CaseInsensitive) || !file.isFile()) return {};
  return file.absoluteFilePath().toStdString();
}

}  // namespace vantle
