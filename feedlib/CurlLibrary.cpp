#include "CurlLibrary.h"

#include <dlfcn.h>

namespace vantle {

namespace {

// The soname of libcurl's ABI, unchanged since libcurl 7.16.
constexpr const char* kCurlSoname = "libcurl.so.4";

std::string LastLoaderError() {
  const char* error = dlerror();
  return error ? error : "unknown error";
}

// Resolves `name` into `entry`; false, with the loader's reason in `failure`, when missing.
template <typename Entry>
bool Resolve(void* library, const char* name, Entry& entry, std::string& failure) {
  entry = reinterpret_cast<Entry>(dlsym(library, name));
  if (!entry) failure = LastLoaderError();
  return entry != nullptr;
}

bool ResolveAll(void* library, TCurlLibrary& curl, std::string& failure) {
  return Resolve(library, "curl_easy_init", curl.EasyInit, failure) &&
         Resolve(library, "curl_easy_cleanup", curl.EasyCleanup, failure) &&
         Resolve(library, "curl_easy_setopt", curl.EasySetopt, failure) &&
         Resolve(library, "curl_easy_getinfo", curl.EasyGetinfo, failure) &&
         Resolve(library, "curl_easy_perform", curl.EasyPerform, failure) &&
         Resolve(library, "curl_easy_strerror", curl.EasyStrerror, failure) &&
         Resolve(library, "curl_slist_append", curl.SlistAppend, failure) &&
         Resolve(library, "curl_slist_free_all", curl.SlistFreeAll, failure) &&
         Resolve(library, "curl_multi_init", curl.MultiInit, failure) &&
         Resolve(library, "curl_multi_cleanup", curl.MultiCleanup, failure) &&
         Resolve(library, "curl_multi_add_handle", curl.MultiAddHandle, failure) &&
         Resolve(library, "curl_multi_remove_handle", curl.MultiRemoveHandle, failure) &&
         Resolve(library, "curl_multi_perform", curl.MultiPerform, failure) &&
         Resolve(library, "curl_multi_poll", curl.MultiPoll, failure) &&
         Resolve(library, "curl_multi_info_read", curl.MultiInfoRead, failure) &&
         Resolve(library, "curl_multi_setopt", curl.MultiSetopt, failure) &&
         Resolve(library, "curl_multi_strerror", curl.MultiStrerror, failure);
}

TCurlLoad Load() {
  static TCurlLibrary curl;
  TCurlLoad load;
  // Never closed: libcurl's global state lives until the process ends.
  void* library = dlopen(kCurlSoname, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    load.Failure = LastLoaderError();
    return load;
  }
  decltype(&curl_global_init) globalInit = nullptr;
  if (!Resolve(library, "curl_global_init", globalInit, load.Failure) ||
      !ResolveAll(library, curl, load.Failure)) {
    return load;
  }
  if (const CURLcode code = globalInit(CURL_GLOBAL_DEFAULT); code != CURLE_OK) {
    load.Failure = "its set-up failed (" + std::string(curl.EasyStrerror(code)) + ")";
    return load;
  }
  load.Library = &curl;
  return load;
}

}  // namespace

const TCurlLoad& CurlLibrary() {
  static const TCurlLoad load = Load();
  return load;
}

}  // namespace vantle
