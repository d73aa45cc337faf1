#pragma once

#include <QUrl>

#include <functional>

class QWebEngineView;
class QWidget;

namespace vantle {

// What the browser engine reports to the widget that hosts it.
struct TBrowserEngineEvents {
  std::function<void()> DownloadBegin;
  std::function<void(int progress)> ProgressChange;
  std::function<void()> DownloadComplete;
  // A navigation of the view was refused.
  std::function<void(const QUrl& url)> NavigationRefused;
  // A page asked for a new window showing `url` (a link with target "_blank"); nothing opens
  // inside the engine.
  std::function<void(const QUrl& url)> NewWindowRequested;
};

// The embedded browser engine. It lives in a module of its own, loaded once the reader
// window is on screen, because the engine's libraries take longer to load than everything
// the first screen shows.
class IBrowserEngine {
 public:
  virtual ~IBrowserEngine() = default;
  // The view, to be laid out by the host; it belongs to the host's widget tree.
  virtual QWebEngineView* View() = 0;
  // The view as a plain widget (the host has no definition of QWebEngineView).
  virtual QWidget* Widget() = 0;
  // Shows the local file `url`, the one local file the view may show from then on (under
  // any query).
  virtual void ShowFile(const QUrl& url) = 0;
  // Goes back one page; false when there is no earlier page.
  virtual bool Back() = 0;
  // Goes forward one page; false when there is no later page.
  virtual bool Forward() = 0;
  // The address of the page shown; empty before any page.
  virtual QUrl Url() const = 0;
};

// The module's one entry point: makes the engine and its view inside `host`.
using TCreateBrowserEngine = IBrowserEngine* (*)(QWidget* host, TBrowserEngineEvents events);
inline constexpr char CreateBrowserEngineName[] = "VantleCreateBrowserEngine";
// The module's file name, beside the program.
inline constexpr char BrowserEngineModule[] = "libvantle-browser.so";

}  // namespace vantle
