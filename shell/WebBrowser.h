#pragma once

#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "Exception.h"
#include "UFeedViews.h"

class QWebEngineView;

namespace vantle {

class IBrowserEngine;

// Raised by GoBack and GoForward when there is no such page in the history.
class EBrowserError : public Exception {
 public:
  using Exception::Exception;
};

// The embedded browser on Qt WebEngine. The generated feed page is shown without
// JavaScript and cannot reach other local files; navigation to any file: URL other than the
// generated page, or to a scheme other than http, https and mailto, is refused. A request of
// a page for a new window (a link with target "_blank") opens an http or https link in the
// desktop's web browser; other links are refused and no window of our own ever opens. The
// engine lives in a module of its own that is loaded with the first call that needs it, or
// with CreateView, because loading it takes longer than showing the whole reader window.
class TWebBrowser : public QWidget, public IWebBrowser {
  Q_OBJECT

 public:
  explicit TWebBrowser(QWidget* parent = nullptr);
  ~TWebBrowser() override;

  // Loads the engine and makes the view, unless that is done; emits viewCreated. Raises
  // EBrowserError when the engine's module cannot be loaded.
  void CreateView();
  // True once the view is made.
  bool HasView() const { return FEngine != nullptr; }
  // The view, for tests; made when there is none yet.
  QWebEngineView* View();
  // The widget that takes the page's input; null until the view is made.
  QWidget* ViewWidget() const;

  // Shows the local file at `path`, at the address of the current feed load (PageAddress).
  void Navigate(const std::string& path) override;
  // Makes the next Navigate show a new page, for a new feed load.
  void StartNewPage() { ++FLoad; }
  // Goes back one page; raises EBrowserError when there is no earlier page.
  void GoBack();
  // Goes forward one page; raises EBrowserError when there is no later page.
  void GoForward();
  // The file name of the page shown ("vantle_tmp.htm" for the generated page; the last
  // path segment, or the host, for a web page); empty before any page.
  QString LocationName() const;
  // The full address of the page shown.
  QString LocationURL() const;
  // Hands a page's request for a new window to the desktop's web browser: an http or https
  // link goes to OpenExternally, a message box gives the link when that fails; any other
  // link is refused.
  void OpenInDesktopBrowser(const QUrl& url);

  // Opens a link in the desktop's web browser and tells whether it could; the desktop
  // services unless a test replaces it.
  std::function<bool(const QUrl& url)> OpenExternally;

  // Browser events, mapped from the view's load signals. OnDownloadComplete comes once per
  // load, as soon as the page's own document has loaded (its pictures may still be coming),
  // or when the load ends, whichever is first.
  std::function<void(int progress, int progressMax)> OnProgressChange;
  std::function<void()> OnDownloadBegin;
  std::function<void()> OnDownloadComplete;

 signals:
  // A navigation of this browser, or its request for a new window, was refused.
  void navigationRefused(const QUrl& url);
  // The view has just been made; `view` is the widget that takes the page's input.
  void viewCreated(QWidget* view);

 private:
  std::unique_ptr<IBrowserEngine> FEngine;
  unsigned FLoad = 0;
};

}  // namespace vantle
