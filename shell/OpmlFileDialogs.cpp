#include "OpmlFileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace vantle {

namespace {

const QString OpmlFilter = QStringLiteral("OPML files (*.opml *.xml);;All files (*)");

// The folder of the last file chosen, for this run of the program.
QString& LastFolder() {
  static QString folder;
  return folder;
}

QString StartFolder() {
  return LastFolder().isEmpty() ? QDir::homePath() : LastFolder();
}

QString Ask(QFileDialog& dialog) {
  dialog.setNameFilter(OpmlFilter);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return {};
  }
  const QString path = dialog.selectedFiles().constFirst();
  LastFolder() = QFileInfo(path).absolutePath();
  return path;
}

}  // namespace

QString AskOpmlToImport(QWidget* parent) {
  QFileDialog dialog(parent, QObject::tr("Import subscriptions"), StartFolder());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return Ask(dialog);
}

QString AskOpmlToExport(QWidget* parent) {
  QFileDialog dialog(parent, QObject::tr("Export subscriptions"), StartFolder());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("opml"));
  dialog.selectFile(QDir(StartFolder()).filePath(QStringLiteral("subscriptions.opml")));
  return Ask(dialog);
}

}  // namespace vantle
