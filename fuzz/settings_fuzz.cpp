#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "FuzzSupport.h"
#include "IniFile.h"

namespace {

using vantle::fuzz::Require;

constexpr const char* kSection = "SETTINGS";
constexpr const char* kKeys[] = {"viewstyle", "wd", "hg"};

// One scratch file per process, in memory where the system offers it.
const std::string& ScratchPath() {
  static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                  "/vantle-settings-fuzz-" + std::to_string(getpid()) + ".ruv";
  return path;
}

void WriteScratch(std::string_view bytes) {
  std::ofstream out(ScratchPath(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int Checksum(std::string_view bytes) {
  unsigned sum = 0;
  for (const char c : bytes) sum = sum * 31 + static_cast<unsigned char>(c);
  return static_cast<int>(sum);
}

}  // namespace

// Reads a settings file as start-up does and writes it back as shutdown does: every key
// written must read back with its value, whatever the file held before.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = vantle::fuzz::AsText(data, size);
  if (const auto number = vantle::ParseIniInteger(bytes)) {
    Require(vantle::ParseIniInteger(std::to_string(*number)) == number,
            "an integer does not read back from its decimal form");
  }
  WriteScratch(bytes);
  vantle::TIniFile settings(ScratchPath());
  int value = Checksum(bytes);
  for (const char* key : kKeys) {
    settings.ReadInteger(kSection, key, 0);
    settings.WriteInteger(kSection, key, value++);
  }
  settings.UpdateFile();
  const vantle::TIniFile reread(ScratchPath());
  value = Checksum(bytes);
  for (const char* key : kKeys) {
    Require(reread.ReadInteger(kSection, key, value + 1) == value,
            "a written key reads back wrong");
    ++value;
  }
  return 0;
}
