#include "WebEngineBrowser.h"

#include <QDesktopServices>
#include <QPointer>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <functional>
#include <mutex>

// Qt's own set-up of the engine, which Qt runs as the application object is made when the
// engine is linked into the program. Loaded later, the engine needs it run before its first
// page; it is what QtWebEngineQuick::initialize() runs at that point.
namespace QtWebEngineCore {
Q_DECL_IMPORT void initialize();
}

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

// A channel without an image gives the generated page the picture "URL Required", which no
// browser can show; it is hidden there rather than shown broken. Only the generated page is
// a local file here, and the file's bytes stay as they are.
constexpr char HideMissingImageScript[] = R"js(
(function () {
  if (location.protocol !== 'file:') return;
  const style = document.createElement('style');
  style.textContent = 'img[src="URL Required"] { display: none !important; }';
  (document.head || document.documentElement).appendChild(style);
})();
)js";

QWebEngineScript HideMissingImage() {
  QWebEngineScript script;
  script.setName(QStringLiteral("vantle-hide-missing-image"));
  script.setSourceCode(QLatin1String(HideMissingImageScript));
  script.setInjectionPoint(QWebEngineScript::DocumentReady);
  script.setWorldId(QWebEngineScript::ApplicationWorld);
  script.setRunsOnSubFrames(false);
  return script;
}

// Feed markup is untrusted: the page admits only the generated page among local files,
// web pages, and mail links the user clicked, which go to the desktop's mail program.
// Scripts run only while a web page is shown.
class TGuardedPage : public QWebEnginePage {
 public:
  TGuardedPage(QWebEngineProfile* profile, const TBrowserEngineEvents& events, QObject* parent)
      : QWebEnginePage(profile, parent), FEvents(events) {
    scripts().insert(HideMissingImage());
    connect(this, &QWebEnginePage::urlChanged, this,
            [this](const QUrl& url) { AllowScriptsFor(url); });
    connect(this, &QWebEnginePage::loadFinished, this, [this] { Settle(); });
    // Left unanswered, the request loads nothing here; the host decides where the link goes.
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) {
              if (FEvents.NewWindowRequested) {
                FEvents.NewWindowRequested(request.requestedUrl());
              }
            });
  }

  // The one local file the page may show; empty before the first navigation.
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
    if (FEvents.NavigationRefused) {
      FEvents.NavigationRefused(url);
    }
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

  const TBrowserEngineEvents& FEvents;
};

// How often a load asks whether the page's own document has loaded.
constexpr int DocumentPollMs = 100;

constexpr char MarkShownDocument[] = "window.vantleShownBefore = true;";
constexpr char DocumentLoadedQuery[] =
    "window.vantleShownBefore !== true && document.readyState !== 'loading'";

void Harden(QWebEngineSettings& settings) {
  settings.setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  // Scripts of web pages may not ask for windows by themselves; "_blank" links still do.
  settings.setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  settings.setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
  // Feed pages show pictures from the web.
  settings.setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
  // Our pages are UTF-8 and declare no character set.
  settings.setDefaultTextEncoding(QStringLiteral("utf-8"));
}

// A view of a guarded page. It makes no window of its own: the view's default answer to a
// request for one is none.
class TBrowserView : public QWebEngineView {
 public:
  TBrowserView(QWebEngineProfile* profile, const TBrowserEngineEvents& events, QWidget* parent)
      : QWebEngineView(parent) {
    FPage = new TGuardedPage(profile, events, this);
    setPage(FPage);
  }

  TGuardedPage& GuardedPage() const { return *FPage; }

 private:
  TGuardedPage* FPage;
};

class TWebEngineBrowser : public IBrowserEngine {
 public:
  TWebEngineBrowser(QWidget* host, TBrowserEngineEvents events) : FEvents(std::move(events)) {
    // A profile without a storage name is off the record: nothing of the feeds' sites is
    // kept on disk.
    FProfile = new QWebEngineProfile(host);
    Harden(*FProfile->settings());
    FProfile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    FProfile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    FView = new TBrowserView(FProfile, FEvents, host);
    FDocumentPoll = new QTimer(FView);
    FDocumentPoll->setInterval(DocumentPollMs);
    QObject::connect(FDocumentPoll, &QTimer::timeout, FView, [this] { AskDocumentLoaded(); });
    QObject::connect(FView, &QWebEngineView::loadStarted, FView, [this] { StartLoad(); });
    QObject::connect(FView, &QWebEngineView::loadProgress, FView, [this](int progress) {
      if (FEvents.ProgressChange) {
        FEvents.ProgressChange(progress);
      }
    });
    QObject::connect(FView, &QWebEngineView::loadFinished, FView, [this] { CompleteLoad(); });
  }

  TWebEngineBrowser(const TWebEngineBrowser&) = delete;
  TWebEngineBrowser& operator=(const TWebEngineBrowser&) = delete;

  ~TWebEngineBrowser() override {
    // The page must go before the profile it was made with.
    delete FView;
    delete FProfile;
  }

  QWebEngineView* View() override { return FView; }
  QWidget* Widget() override { return FView; }

  void ShowFile(const QUrl& url) override {
    // Each load has an address of its own; the file stays the same.
    FView->GuardedPage().AllowedFile = url.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment);
    FView->load(url);
  }

  bool Back() override {
    if (!FView->history()->canGoBack()) {
      return false;
    }
    FView->back();
    return true;
  }

  bool Forward() override {
    if (!FView->history()->canGoForward()) {
      return false;
    }
    FView->forward();
    return true;
  }

  QUrl Url() const override { return FView->url(); }

 private:
  void StartLoad() {
    FLoadComplete = false;
    ++FLoadNumber;
    // The document still shown is marked, so that only the new one can answer the poll; a
    // mark that lands on the new document only delays the answer until the load ends.
    FView->page()->runJavaScript(QLatin1String(MarkShownDocument),
                                 QWebEngineScript::ApplicationWorld);
    FDocumentPoll->start();
    if (FEvents.DownloadBegin) {
      FEvents.DownloadBegin();
    }
  }

  void AskDocumentLoaded() {
    // An answer that comes once the next load has started speaks of the page before it.
    FView->page()->runJavaScript(
        QLatin1String(DocumentLoadedQuery), QWebEngineScript::ApplicationWorld,
        [this, view = QPointer<QWebEngineView>(FView), load = FLoadNumber](const QVariant& loaded) {
          if (view != nullptr && load == FLoadNumber && loaded.toBool()) {
            CompleteLoad();
          }
        });
  }

  void CompleteLoad() {
    FDocumentPoll->stop();
    if (FLoadComplete) {
      return;
    }
    FLoadComplete = true;
    if (FEvents.DownloadComplete) {
      FEvents.DownloadComplete();
    }
  }

  TBrowserEngineEvents FEvents;
  QWebEngineProfile* FProfile;
  TBrowserView* FView;
  QTimer* FDocumentPoll;
  bool FLoadComplete = true;
  unsigned FLoadNumber = 0;
};

}  // namespace

}  // namespace vantle

vantle::IBrowserEngine* VantleCreateBrowserEngine(QWidget* host,
                                                  vantle::TBrowserEngineEvents events) {
  static std::once_flag prepared;
  std::call_once(prepared, QtWebEngineCore::initialize);
  return new vantle::TWebEngineBrowser(host, std::move(events));
}
