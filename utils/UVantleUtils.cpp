#include "UVantleUtils.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>

#include "Exception.h"
#include "FileDescriptor.h"

namespace vantle {

namespace {

constexpr mode_t PrivateMode = 0700;

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string WithSeparator(std::string path) {
  if (path.back() != '/') path += '/';
  return path;
}

std::string OsReason() {
  return std::strerror(errno);
}

void MakeDirectoryIfMissing(const std::string& path) {
  if (::mkdir(path.c_str(), PrivateMode) != 0 && errno != EEXIST)
    throw Exception("Cannot create the temporary directory " + path + ": " + OsReason());
}

bool IsSymbolicLink(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// Opening without following a link pins the directory we check against swaps of the name.
int OpenDirectoryNotLink(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) return fd;
  const std::string reason = OsReason();
  if (errno == ELOOP || IsSymbolicLink(path))
    throw Exception("The temporary directory " + path + " is a symbolic link; refusing to use it");
  throw Exception("Cannot open the temporary directory " + path + ": " + reason);
}

void EnsurePrivate(const std::string& path) {
  const TFileDescriptor dir(OpenDirectoryNotLink(path));
  struct stat info {};
  if (::fstat(dir.Get(), &info) != 0)
    throw Exception("Cannot examine the temporary directory " + path + ": " + OsReason());
  if (info.st_uid != ::geteuid())
    throw Exception("The temporary directory " + path +
                    " belongs to another user; refusing to use it");
  if ((info.st_mode & 07777) != PrivateMode && ::fchmod(dir.Get(), PrivateMode) != 0)
    throw Exception("Cannot make the temporary directory " + path + " private: " + OsReason());
}

// Whether what stands at `path` (not followed if a link) belongs to another user.
bool OwnedByAnotherUser(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && info.st_uid != ::geteuid();
}

// A fresh private directory beside `refused`, made once per process for each refused name
// and made again only when it stops being private.
std::string StandInDirectory(const std::string& refused) {
  static std::mutex guard;
  static std::map<std::string, std::string> made;
  const std::lock_guard lock(guard);
  if (auto found = made.find(refused); found != made.end()) {
    try {
      EnsurePrivate(found->second);
      return found->second + '/';
    } catch (const Exception&) {
      made.erase(found);
    }
  }
  std::string path = refused + "-XXXXXX";
  if (::mkdtemp(path.data()) == nullptr)
    throw Exception("Cannot create a temporary directory beside " + refused + ": " + OsReason());
  std::cerr << "vantle: " << refused << " belongs to another user; using " << path << " instead\n";
  made.emplace(refused, path);
  return path + '/';
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool IsSelfOrParent(std::string_view name) {
  return name == "." || name == "..";
}

}  // namespace

std::string PrivateTempDirectory(const std::string& parent) {
  const std::string path = WithSeparator(parent.empty() ? std::string(".") : parent) + "vantle-" +
                           std::to_string(::geteuid());
  MakeDirectoryIfMissing(path);
  // Another user can take the name first in a shared directory; that must not stop us.
  if (OwnedByAnotherUser(path)) return StandInDirectory(path);
  EnsurePrivate(path);
  return path + '/';
}

std::string TempDirectory() {
  const char* tmpdir = std::getenv("TMPDIR");
  return PrivateTempDirectory(tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : P_tmpdir);
}

std::string StripNameChars(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text)
    if (InvalidNameChars.find(c) == std::string_view::npos) result += c;
  return result;
}

void ListFiles(std::vector<std::string>& list, const std::string& directory,
               std::string_view extension) {
  const std::string prefix = WithTrailingBackslash(directory);
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(prefix.empty() ? "." : prefix.c_str()),
                                                ::closedir);
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (!IsSelfOrParent(name) && EndsWith(name, extension))
      list.push_back(prefix + std::string(name));
  }
}

std::string WithTrailingBackslash(std::string_view path) {
  while (!path.empty() && IsBlankOrControl(path.front())) path.remove_prefix(1);
  while (!path.empty() && IsBlankOrControl(path.back())) path.remove_suffix(1);
  if (path.empty()) return {};
  return WithSeparator(std::string(path));
}

}  // namespace vantle
