#include "WebBrowser.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibrary>
#include <QMessageBox>
#include <QVBoxLayout>

#include "BrowserEngine.h"
#include "PageAddress.h"

namespace vantle {

namespace {

// The engine's entry point, from the module beside the program: the installed layout and the
// build tree both put it there (the build links it beside the test programs too).
TCreateBrowserEngine FindEngine() {
  const QString path =
      QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(BrowserEngineModule));
  if (!QFileInfo::exists(path)) {
    throw EBrowserError("Cannot start the web browser: " + std::string(BrowserEngineModule) +
                        " is missing");
  }
  QLibrary module(path);
  if (auto create =
          reinterpret_cast<TCreateBrowserEngine>(module.resolve(CreateBrowserEngineName))) {
    return create;
  }
  throw EBrowserError("Cannot start the web browser: " + module.errorString().toStdString());
}

QtMessageHandler OuterHandler = nullptr;

// Qt warns when its browser engine is set up after the application object, as the engine's
// module is on purpose; those two warnings tell the user nothing.
void DropLateSetUpWarnings(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
  const bool lateSetUp =
      type == QtWarningMsg &&
      (message.startsWith(QLatin1String("Qt WebEngine seems to be initialized from a plugin")) ||
       message.startsWith(QLatin1String("Attribute Qt::AA_ShareOpenGLContexts must be set")));
  if (!lateSetUp) {
    OuterHandler(type, context, message);
  }
}

// The engine and its view inside `host`.
IBrowserEngine* StartEngine(QWidget* host, TBrowserEngineEvents events) {
  OuterHandler = qInstallMessageHandler(DropLateSetUpWarnings);
  struct TRestore {
    ~TRestore() { qInstallMessageHandler(OuterHandler); }
  } restore;
  return FindEngine()(host, std::move(events));
}

}  // namespace

TWebBrowser::TWebBrowser(QWidget* parent)
    : QWidget(parent),
      OpenExternally([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

// The engine goes first: its view is a child of this widget, and its pages must go before
// its profile.
TWebBrowser::~TWebBrowser() = default;

void TWebBrowser::CreateView() {
  if (FEngine) {
    return;
  }
  TBrowserEngineEvents events;
  events.DownloadBegin = [this] {
    if (OnDownloadBegin) {
      OnDownloadBegin();
    }
  };
  events.ProgressChange = [this](int progress) {
    if (OnProgressChange) {
      OnProgressChange(progress, 100);
    }
  };
  events.DownloadComplete = [this] {
    if (OnDownloadComplete) {
      OnDownloadComplete();
    }
  };
  events.NavigationRefused = [this](const QUrl& url) { emit navigationRefused(url); };
  // Handed on once the engine's callback has returned, since a message box may have to wait
  // for the user.
  events.NewWindowRequested = [this](const QUrl& url) {
    QMetaObject::invokeMethod(
        this, [this, url] { OpenInDesktopBrowser(url); }, Qt::QueuedConnection);
  };
  FEngine.reset(StartEngine(this, std::move(events)));
  layout()->addWidget(FEngine->Widget());
  emit viewCreated(FEngine->Widget());
}

QWebEngineView* TWebBrowser::View() {
  CreateView();
  return FEngine->View();
}

QWidget* TWebBrowser::ViewWidget() const {
  return FEngine ? FEngine->Widget() : nullptr;
}

void TWebBrowser::Navigate(const std::string& path) {
  CreateView();
  FEngine->ShowFile(PageAddress(path, FLoad));
}

void TWebBrowser::GoBack() {
  if (!FEngine || !FEngine->Back()) {
    throw EBrowserError("There is no earlier page");
  }
}

void TWebBrowser::GoForward() {
  if (!FEngine || !FEngine->Forward()) {
    throw EBrowserError("There is no later page");
  }
}

QString TWebBrowser::LocationName() const {
  const QUrl url = FEngine ? FEngine->Url() : QUrl();
  const QString name = url.fileName();
  return name.isEmpty() ? url.host() : name;
}

QString TWebBrowser::LocationURL() const {
  return FEngine ? FEngine->Url().toString() : QString();
}

void TWebBrowser::OpenInDesktopBrowser(const QUrl& url) {
  if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) {
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
