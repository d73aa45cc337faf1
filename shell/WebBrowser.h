#pragma once

#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <string>

#include "Exception.h"
#include "UFeedViews.h"

class QTimer;
class QWebEngineView;
class QWebEngineProfile;

namespace vantle {

// Raised by GoBack and GoForward when there is no such page in the history.
class EBrowserError : public Exception {
 public:
  using Exception::Exception;
};

// The embedded browser on Qt WebEngine. The generated feed page is shown without
// JavaScript and cannot reach other local files; navigation to any file: URL other than the
// generated page, or to a scheme other than http, https and mailto, is refused. Links with
// target "_blank" open in a browser window of our own.
class TWebBrowser : public QWidget, public IWebBrowser {
  Q_OBJECT

 public:
  explicit TWebBrowser(QWidget* parent = nullptr);
  ~TWebBrowser() override;

  // Shows the local file at `path`.
  void Navigate(const std::string& path) override;
  // Goes back one page; raises EBrowserError when there is no earlier page.
  void GoBack();
  // Goes forward one page; raises EBrowserError when there is no later page.
  void GoForward();
  // The file name of the page shown ("vantle_tmp.htm" for the generated page; the last
  // path segment, or the host, for a web page); empty before any page.
  QString LocationName() const;
  // The full address of the page shown.
  QString LocationURL() const;
  // The view, for tests and for the window's drop handling.
  QWebEngineView* View() const { return FView; }
  // The browser windows opened for "_blank" links that are still open.
  QList<QWidget*> PopupWindows() const;

  // Browser events, mapped from the view's load signals. OnDownloadComplete comes once per
  // load, as soon as the page's own document has loaded (its pictures may still be coming),
  // or when the load ends, whichever is first.
  std::function<void(int progress, int progressMax)> OnProgressChange;
  std::function<void()> OnDownloadBegin;
  std::function<void()> OnDownloadComplete;

 signals:
  // A navigation of this browser or of one of its windows was refused.
  void navigationRefused(const QUrl& url);

 private:
  friend class TBrowserView;
  QWebEngineView* OpenPopupWindow();
  void StartLoad();
  void AskDocumentLoaded();
  void CompleteLoad();

  QWebEngineProfile* FProfile;
  QWebEngineView* FView;
  QList<QPointer<QWidget>> FPopups;
  QTimer* FDocumentPoll;
  bool FLoadComplete = true;
};

}  // namespace vantle
