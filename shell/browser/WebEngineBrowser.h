#pragma once

#include <QtGlobal>

#include "BrowserEngine.h"

// Makes the browser engine and its view inside `host`; the caller owns the engine returned.
// Looked up by the name CreateBrowserEngineName once the module is loaded.
extern "C" Q_DECL_EXPORT vantle::IBrowserEngine* VantleCreateBrowserEngine(
    QWidget* host, vantle::TBrowserEngineEvents events);
