#include "GroupFiles.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

#include "Exception.h"

namespace vantle {

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

[[noreturn]] void RaiseFileError(const char* action, const std::string& path,
                                 const QFileDevice& file) {
  throw Exception(std::string("Cannot ") + action + " file \"" + path + "\". " +
                  file.errorString().toStdString());
}

}  // namespace

std::string ReadGroupFile(const std::string& path) {
  QFile file(Q(path));
  if (!file.open(QIODevice::ReadOnly)) {
    RaiseFileError("open", path, file);
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    RaiseFileError("open", path, file);
  }
  return bytes.toStdString();
}

void WriteGroupFile(const std::string& path, std::string_view bytes) {
  QSaveFile file(Q(path));
  const auto size = static_cast<qint64>(bytes.size());
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), size) != size ||
      !file.commit()) {
    RaiseFileError("create", path, file);
  }
}

void MoveGroupFile(const std::string& from, const std::string& to) {
  QFile file(Q(from));
  if (!file.rename(Q(to))) {
    throw Exception("Cannot create file \"" + to + "\". " + file.errorString().toStdString());
  }
}

void KeepDamagedGroupFile(const std::string& path) {
  WriteGroupFile(path + ".damaged", ReadGroupFile(path));
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace vantle
