#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <string>

class QAction;
class QMenu;

namespace vantle {

class TDataDirLock;
class TImportFiles;
class TfrmControl;
struct TImportCounts;

// The window's subscription commands, "Import subscriptions..." and "Export
// subscriptions...", reachable in every state from a menu on the New Group button (the group
// list's popup menu stays as it is); an .opml file dropped onto the window is imported. While
// it lives it holds the lock of the window's data directory.
class TSubscriptionTransfer : public QObject {
  Q_OBJECT

 public:
  // Adds the commands to `window`, which owns the new object, and takes the lock.
  explicit TSubscriptionTransfer(TfrmControl& window);
  ~TSubscriptionTransfer() override;

  // Asks for an OPML file and imports it.
  void ImportClick();
  // Asks where to write the OPML of every group and writes it there.
  void ExportClick();
  // Saves the current group, imports the OPML file at `path` through `files`, reloads the
  // group list and the current group and shows what was done. Raises when the import fails.
  TImportCounts Import(const std::string& path, TImportFiles& files);
  // Writes the OPML of every group to `path`; raises "Cannot create file ...".
  void Export(const std::string& path);
  // True while the data directory's lock is held by this window.
  bool HoldsLock() const;
  // True when another process holds the data directory's lock.
  bool LockHeldElsewhere() const;

  QMenu* TransferMenu;
  QAction* NewGroup2;
  QAction* ImportSubscriptions1;
  QAction* ExportSubscriptions1;

 private:
  void ReloadGroups();
  // The local .opml file a dropped text names; empty when it names none.
  static std::string DroppedOpml(const QString& dropped);

  TfrmControl& FWindow;
  std::unique_ptr<TDataDirLock> FLock;
};

}  // namespace vantle
