#include "PageAddress.h"

#include <QFileInfo>

namespace vantle {

QUrl PageAddress(const std::string& path, unsigned load) {
  QUrl url = QUrl::fromLocalFile(QFileInfo(QString::fromStdString(path)).absoluteFilePath());
  // Before any load the file's own address serves: it is distinct from every numbered one.
  if (load > 0) {
    url.setQuery(QStringLiteral("load=%1").arg(load));
  }
  return url;
}

}  // namespace vantle
