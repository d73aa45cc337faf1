#pragma once

#include <string>
#include <string_view>

namespace vantle {

// The bytes of the group file at `path`; raises "Cannot open file "<path>". <reason>".
std::string ReadGroupFile(const std::string& path);

// Replaces the file at `path` by `bytes`, written beside it and renamed over it, so a failed
// write keeps the old file whole; raises "Cannot create file "<path>". <reason>".
void WriteGroupFile(const std::string& path, std::string_view bytes);

// Creates or truncates the file at `path` and writes `bytes` into it, without flushing it to
// disk; raises "Cannot create file "<path>". <reason>".
void WriteFileInPlace(const std::string& path, std::string_view bytes);

// Moves the file `from` to `to`, where nothing may stand yet; raises
// "Cannot create file "<to>". <reason>" and leaves `from` as it was.
void MoveGroupFile(const std::string& from, const std::string& to);

// Copies the file at `path` to `path` + ".damaged", replacing an older copy; raises as
// ReadGroupFile and WriteGroupFile do.
void KeepDamagedGroupFile(const std::string& path);

// True when `a` and `b` both exist and are one file (as on a file system that ignores case).
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace vantle
