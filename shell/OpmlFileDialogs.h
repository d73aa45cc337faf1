#pragma once

#include <QString>

class QWidget;

namespace vantle {

// The file dialogs of Import and Export subscriptions. Each opens in the folder of the last
// file chosen in either, else in the user's home, never in the program's working folder.

// Asks for an OPML file to import; empty on Cancel.
QString AskOpmlToImport(QWidget* parent);

// Asks where to export the OPML; a name typed without an extension gets ".opml". Empty on
// Cancel.
QString AskOpmlToExport(QWidget* parent);

}  // namespace vantle
