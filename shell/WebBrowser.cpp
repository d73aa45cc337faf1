#include "WebBrowser.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineNewWindowRequest>
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
    // Left unanswered, the request loads nothing here. The link is handed on after the
    // engine's callback has returned, since a message box may have to wait for the user.
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) {
              QMetaObject::invokeMethod(
                  &FBrowser,
                  [browser = &FBrowser, url = request.requestedUrl()] {
                    browser->OpenInDesktopBrowser(url);
                  },
                  Qt::QueuedConnection);
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

}  // namespace

// A view of a guarded page. It makes no window of its own: the view's default answer to a
// request for one is none.
class TBrowserView : public QWebEngineView {
 public:
  TBrowserView(QWebEngineProfile* profile, TWebBrowser& browser, QWidget* parent)
      : QWebEngineView(parent) {
    FPage = new TGuardedPage(profile, browser, this);
    setPage(FPage);
  }

  TGuardedPage& GuardedPage() const { return *FPage; }

 private:
  TGuardedPage* FPage;
};

TWebBrowser::TWebBrowser(QWidget* parent)
    : QWidget(parent),
      OpenExternally([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
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

  connect(FView, &QWebEngineView::loadStarted, this, [this] {
    if (OnDownloadBegin) {
      OnDownloadBegin();
    }
  });
  connect(FView, &QWebEngineView::loadProgress, this, [this](int progress) {
    if (OnProgressChange) {
      OnProgressChange(progress, 100);
    }
  });
  connect(FView, &QWebEngineView::loadFinished, this, [this](bool) {
    if (OnDownloadComplete) {
      OnDownloadComplete();
    }
  });
}

TWebBrowser::~TWebBrowser() {
  // Pages must go before the profile they were made with.
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

void TWebBrowser::OpenInDesktopBrowser(const QUrl& url) {
  if (!IsWebScheme(url.scheme())) {
    emit navigationRefused(url);
    return;
  }
  if (OpenExternally(url)) {
    return;
  }
  QMessageBox box(QMessageBox::Information, QGuiApplication::applicationDisplayName(),
                  tr("No web browser could be started to open this link:\n%1").arg(url.toString()),
                  QMessageBox::Ok, window());
  // So that the user can copy the link into a browser by hand.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  box.exec();
}

}  // namespace vantle
