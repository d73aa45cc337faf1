#include "WebBrowser.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace vantle {

namespace {

bool IsWebScheme(const QString& scheme) {
  return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// Removes the feed markup's event handlers and "javascript:" addresses from the page.
// It runs in a world of our own, which runs while the page's scripts are off.
constexpr char DisarmScript[] = R"js(
(function () {
  for (const element of document.querySelectorAll('*')) {
    for (const attribute of Array.from(element.attributes)) {
      const scripted = /^[\s\u0000-\u001f]*javascript:/i.test(attribute.value.replace(/[\t\n\r]/g, ''));
      if (attribute.name.toLowerCase().startsWith('on') || scripted) {
        element.removeAttribute(attribute.name);
      }
    }
  }
})();
)js";

// Feed markup is untrusted: the page admits only the generated page among local files,
// web pages, and mail links the user clicked, which go to the desktop's mail program.
// Scripts run only while a web page is shown.
class TGuardedPage : public QWebEnginePage {
 public:
  TGuardedPage(QWebEngineProfile* profile, TWebBrowser& browser, QObject* parent)
      : QWebEnginePage(profile, parent), FBrowser(browser) {
    connect(this, &QWebEnginePage::urlChanged, this,
            [this](const QUrl& url) { AllowScriptsFor(url); });
    connect(this, &QWebEnginePage::loadFinished, this, [this] { Settle(); });
  }

  // The one local file the page may show; empty for a window that shows none.
  QUrl AllowedFile;

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
    if (IsWebScheme(url.scheme()) || IsAllowedFile(url)) {
      // Switched before the page arrives, so that a web page's first scripts run.
      if (isMainFrame) {
        AllowScriptsFor(url);
      }
      return true;
    }
    // Only a click may start the mail program; a refresh or a frame must not.
    if (url.scheme() == QLatin1String("mailto") && isMainFrame &&
        type == NavigationTypeLinkClicked) {
      QDesktopServices::openUrl(url);
    }
    emit FBrowser.navigationRefused(url);
    return false;
  }

 private:
  bool IsAllowedFile(const QUrl& url) const {
    return url.isLocalFile() && !AllowedFile.isEmpty() &&
           url.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery) == AllowedFile;
  }

  // After a load: a link that loaded nothing leaves the generated page shown, which must
  // not keep the scripts meant for the web page; and the generated page is made inert,
  // because scripts go on while it is still shown as soon as the user follows a link.
  void Settle() {
    AllowScriptsFor(url());
    if (IsAllowedFile(url())) {
      runJavaScript(QLatin1String(DisarmScript), QWebEngineScript::ApplicationWorld);
    }
  }

  void AllowScriptsFor(const QUrl& url) {
    settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, IsWebScheme(url.scheme()));
  }

  TWebBrowser& FBrowser;
};

// How often a load asks whether the page's own document has loaded.
constexpr int DocumentPollMs = 100;

constexpr char MarkShownDocument[] = "window.vantleShownBefore = true;";
constexpr char DocumentLoadedQuery[] =
    "window.vantleShownBefore !== true && document.readyState !== 'loading'";

void Harden(QWebEngineSettings& settings) {
  settings.setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  // Scripts of web pages may not open windows by themselves; "_blank" links still do.
  settings.setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  settings.setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
  // Feed pages show pictures from the web.
  settings.setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
  // Our pages are UTF-8 and declare no character set.
  settings.setDefaultTextEncoding(QStringLiteral("utf-8"));
}

}  // namespace

// A view whose "_blank" links open in a browser window of our own.
class TBrowserView : public QWebEngineView {
 public:
  TBrowserView(QWebEngineProfile* profile, TWebBrowser& browser, QWidget* parent)
      : QWebEngineView(parent), FBrowser(browser) {
    FPage = new TGuardedPage(profile, browser, this);
    setPage(FPage);
  }

  TGuardedPage& GuardedPage() const { return *FPage; }

 protected:
  QWebEngineView* createWindow(QWebEnginePage::WebWindowType) override {
    return FBrowser.OpenPopupWindow();
  }

 private:
  TWebBrowser& FBrowser;
  TGuardedPage* FPage;
};

TWebBrowser::TWebBrowser(QWidget* parent) : QWidget(parent) {
  // A profile without a storage name is off the record: nothing of the feeds' sites is
  // kept on disk.
  FProfile = new QWebEngineProfile(this);
  Harden(*FProfile->settings());
  FProfile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
  FProfile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);

  FView = new TBrowserView(FProfile, *this, this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FView);

  FDocumentPoll = new QTimer(this);
  FDocumentPoll->setInterval(DocumentPollMs);
  connect(FDocumentPoll, &QTimer::timeout, this, &TWebBrowser::AskDocumentLoaded);
  connect(FView, &QWebEngineView::loadStarted, this, &TWebBrowser::StartLoad);
  connect(FView, &QWebEngineView::loadProgress, this, [this](int progress) {
    if (OnProgressChange) {
      OnProgressChange(progress, 100);
    }
  });
  connect(FView, &QWebEngineView::loadFinished, this, &TWebBrowser::CompleteLoad);
}

void TWebBrowser::StartLoad() {
  FLoadComplete = false;
  // The document still shown is marked, so that only the new one can answer the poll; a
  // mark that lands on the new document only delays the answer until the load ends.
  FView->page()->runJavaScript(QLatin1String(MarkShownDocument),
                               QWebEngineScript::ApplicationWorld);
  FDocumentPoll->start();
  if (OnDownloadBegin) {
    OnDownloadBegin();
  }
}

void TWebBrowser::AskDocumentLoaded() {
  FView->page()->runJavaScript(QLatin1String(DocumentLoadedQuery),
                               QWebEngineScript::ApplicationWorld,
                               [browser = QPointer<TWebBrowser>(this)](const QVariant& loaded) {
                                 if (browser != nullptr && loaded.toBool()) {
                                   browser->CompleteLoad();
                                 }
                               });
}

void TWebBrowser::CompleteLoad() {
  FDocumentPoll->stop();
  if (FLoadComplete) {
    return;
  }
  FLoadComplete = true;
  if (OnDownloadComplete) {
    OnDownloadComplete();
  }
}

TWebBrowser::~TWebBrowser() {
  // Pages must go before the profile they were made with.
  for (const QPointer<QWidget>& popup : FPopups) {
    delete popup.data();
  }
  delete FView;
  delete FProfile;
}

void TWebBrowser::Navigate(const std::string& path) {
  const QUrl url = QUrl::fromLocalFile(QFileInfo(QString::fromStdString(path)).absoluteFilePath());
  static_cast<TBrowserView*>(FView)->GuardedPage().AllowedFile = url;
  FView->load(url);
}

void TWebBrowser::GoBack() {
  if (!FView->history()->canGoBack()) {
    throw EBrowserError("There is no earlier page");
  }
  FView->back();
}

void TWebBrowser::GoForward() {
  if (!FView->history()->canGoForward()) {
    throw EBrowserError("There is no later page");
  }
  FView->forward();
}

QString TWebBrowser::LocationName() const {
  const QUrl url = FView->url();
  const QString name = url.fileName();
  return name.isEmpty() ? url.host() : name;
}

QString TWebBrowser::LocationURL() const {
  return FView->url().toString();
}

QList<QWidget*> TWebBrowser::PopupWindows() const {
  QList<QWidget*> open;
  for (const QPointer<QWidget>& popup : FPopups) {
    if (!popup.isNull()) {
      open.append(popup.data());
    }
  }
  return open;
}

QWebEngineView* TWebBrowser::OpenPopupWindow() {
  auto* window = new QWidget(nullptr, Qt::Window);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(windowTitle().isEmpty() ? QStringLiteral("Vantle") : windowTitle());
  window->resize(size().expandedTo(QSize(640, 480)));
  auto* view = new TBrowserView(FProfile, *this, window);
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view);
  connect(view, &QWebEngineView::titleChanged, window, &QWidget::setWindowTitle);
  FPopups.removeAll(nullptr);
  FPopups.append(window);
  window->show();
  return view;
}

}  // namespace vantle
