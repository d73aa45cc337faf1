#pragma once

#include <curl/curl.h>

#include <string>

namespace vantle {

// The libcurl entry points the fetcher uses, taken from the library loaded at run time.
struct TCurlLibrary {
  decltype(&curl_easy_init) EasyInit;
  decltype(&curl_easy_cleanup) EasyCleanup;
  decltype(&curl_easy_setopt) EasySetopt;
  decltype(&curl_easy_getinfo) EasyGetinfo;
  decltype(&curl_easy_perform) EasyPerform;
  decltype(&curl_easy_strerror) EasyStrerror;
  decltype(&curl_slist_append) SlistAppend;
  decltype(&curl_slist_free_all) SlistFreeAll;
  decltype(&curl_multi_init) MultiInit;
  decltype(&curl_multi_cleanup) MultiCleanup;
  decltype(&curl_multi_add_handle) MultiAddHandle;
  decltype(&curl_multi_remove_handle) MultiRemoveHandle;
  decltype(&curl_multi_perform) MultiPerform;
  decltype(&curl_multi_poll) MultiPoll;
  decltype(&curl_multi_info_read) MultiInfoRead;
  decltype(&curl_multi_setopt) MultiSetopt;
  decltype(&curl_multi_strerror) MultiStrerror;
};

// What loading libcurl came to: its entry points, or why it could not be loaded.
struct TCurlLoad {
  const TCurlLibrary* Library = nullptr;
  std::string Failure;
};

// libcurl, loaded and globally set up by the first call of the process and kept to its end.
// Programs load it at their first web fetch rather than at start, since it brings some thirty
// libraries of its own (TLS, Kerberos, LDAP, SSH) whose loading would delay every start.
// Safe to call from any thread.
const TCurlLoad& CurlLibrary();

}  // namespace vantle
