#pragma once

#include <QUrl>

#include <string>

namespace vantle {

// The address the browser shows the page file at `path` under for the `load`th feed load:
// the file's URL with the load's number as its query (none for 0, before any load). Each load is
// then a new page for the browser, opened at its top and kept apart in its history, while the file
// and its name stay the same; a view-style change shows the same load again at the same address.
QUrl PageAddress(const std::string& path, unsigned load);

}  // namespace vantle
