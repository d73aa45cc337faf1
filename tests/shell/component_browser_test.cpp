#include <QBuffer>
#include <QDesktopServices>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <vector>

#include "SimpleRSS.h"
#include "UFeedViews.h"
#include "WebBrowser.h"
#include "component_support.h"
#include "support/LoopbackServer.h"

namespace vantle {
namespace {

constexpr int LoadTimeoutMs = 30000;
constexpr int RefusalTimeoutMs = 10000;

// An 8 by 6 PNG picture.
QByteArray PictureBytes() {
  QImage picture(8, 6, QImage::Format_RGB32);
  picture.fill(Qt::red);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "PNG");
  return bytes;
}

// A web server on the loopback interface for the pages a feed links to.
class TPageServer {
 public:
  TPageServer() {
    FServer.Serve("/scripted.html", "text/html",
                  "<html><head><title>Web page</title></head><body><p>On the web</p>"
                  "<script>document.title = 'scripted';</script></body></html>");
    const QByteArray png = PictureBytes();
    FServer.Serve("/picture.png", "image/png", png.toStdString());
    FServer.Answer("/nothing", {.Status = 204});
    FServer.Serve("/", "text/html",
                  "<html><head><title>Home</title></head><body>Home</body></html>");
  }

  QString Url(const char* path) const { return QString::fromStdString(FServer.Url(path)); }

 private:
  test::TLoopbackServer FServer;
};

// Catches the links of one scheme handed to the desktop.
class TUrlHandler : public QObject {
  Q_OBJECT

 public:
  explicit TUrlHandler(const QString& scheme) : FScheme(scheme) {
    QDesktopServices::setUrlHandler(FScheme, this, "Open");
  }
  ~TUrlHandler() override { QDesktopServices::unsetUrlHandler(FScheme); }
  QList<QUrl> Opened;

 public slots:
  void Open(const QUrl& url) { Opened.append(url); }

 private:
  QString FScheme;
};

// Catches mail links handed to the desktop.
class TMailHandler : public TUrlHandler {
 public:
  TMailHandler() : TUrlHandler(QStringLiteral("mailto")) {}
};

// A browser shown offscreen, with the pages of one test in a temporary directory.
class TBrowserTest : public ::testing::Test {
 protected:
  TBrowserTest() {
    Browser.resize(640, 480);
    Browser.show();
  }

  QString WritePage(const QString& name, const QByteArray& html) { return Pages.Write(name, html); }

  // Runs `start` and waits, bounded, until the view finished a load.
  bool WaitForLoad(const std::function<void()>& start) {
    QSignalSpy finished(Browser.View(), &QWebEngineView::loadFinished);
    start();
    return finished.wait(LoadTimeoutMs);
  }

  bool Show(const QString& path) {
    return WaitForLoad([&] { Browser.Navigate(path.toStdString()); });
  }

  // Runs `code` in a world of our own, which runs even while the page's scripts are off.
  QVariant Evaluate(const QString& code) {
    QVariant result;
    bool done = false;
    Browser.View()->page()->runJavaScript(code, QWebEngineScript::ApplicationWorld,
                                          [&](const QVariant& value) {
                                            result = value;
                                            done = true;
                                          });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, LoadTimeoutMs)) << code.toStdString();
    return result;
  }

  QString PlainText() {
    QString text;
    bool done = false;
    Browser.View()->page()->toPlainText([&](const QString& value) {
      text = value;
      done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, LoadTimeoutMs));
    return text;
  }

  // Waits, bounded, until a navigation to `url` was refused.
  bool WaitForRefusal(QSignalSpy& refused, const QUrl& url) {
    return QTest::qWaitFor(
        [&] {
          for (const QList<QVariant>& call : refused) {
            if (call.at(0).toUrl() == url) {
              return true;
            }
          }
          return false;
        },
        RefusalTimeoutMs);
  }

  // Clicks the middle of the element `id` with the mouse, as the user would: Chromium treats
  // a scripted click as no user action (no windows, no mail program, no history entry).
  void ClickElement(const char* id) {
    ClickFound(QStringLiteral("document.getElementById('%1')").arg(QLatin1String(id)));
  }

  // Clicks the first link of the page whose text is `text`.
  void ClickLink(const char* text) {
    ClickFound(QStringLiteral("Array.from(document.links).find(a => a.textContent.trim() == '%1')")
                   .arg(QLatin1String(text)));
  }

  // Clicks the element the script expression `finder` yields.
  void ClickFound(const QString& finder) {
    const QVariantList centre =
        Evaluate(QStringLiteral("(function() { const r = (%1).getBoundingClientRect(); "
                                "return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                     .arg(finder))
            .toList();
    ASSERT_EQ(centre.size(), 2) << finder.toStdString();
    QWidget* surface = Browser.View()->focusProxy();
    ASSERT_NE(surface, nullptr);
    QTest::mouseClick(surface, Qt::LeftButton, {},
                      QPoint(qRound(centre[0].toDouble()), qRound(centre[1].toDouble())));
  }

  bool ScriptsEnabled() const {
    return Browser.View()->page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled);
  }

  test::TFeedFiles Pages;
  std::unique_ptr<TWebBrowser> Owned = std::make_unique<TWebBrowser>();
  TWebBrowser& Browser = *Owned;
};

TEST_F(TBrowserTest, RunsNoScriptOfTheGeneratedPage) {
  const QString page = WritePage(
      QStringLiteral("vantle_tmp.htm"),
      "<html><head><title>Generated</title></head><body><p id=\"p\">as written</p>"
      "<script>document.title = 'scripted';"
      "document.getElementById('p').textContent = 'rewritten';</script>"
      "<img src=\"missing.png\" onerror=\"document.title = 'handler ran'\"></body></html>");
  ASSERT_TRUE(Show(page));
  EXPECT_FALSE(ScriptsEnabled());
  // Our own world still runs, which is how this test reads the page.
  EXPECT_EQ(Evaluate(QStringLiteral("document.title")).toString(), QStringLiteral("Generated"));
  EXPECT_EQ(Browser.View()->title(), QStringLiteral("Generated"));
  EXPECT_TRUE(PlainText().contains(QStringLiteral("as written")));
  EXPECT_FALSE(PlainText().contains(QStringLiteral("rewritten")));
}

TEST_F(TBrowserTest, RefusesAMetaRefreshToAnotherLocalFile) {
  const QString secret = WritePage(QStringLiteral("secret.txt"), "SECRET-CONTENT");
  const QUrl target = QUrl::fromLocalFile(secret);
  const QString page = WritePage(
      QStringLiteral("vantle_tmp.htm"),
      "<html><head><title>Generated</title><meta http-equiv=\"refresh\" content=\"0;url=" +
          target.toEncoded() + "\"></head><body>feed</body></html>");
  QSignalSpy refused(&Browser, &TWebBrowser::navigationRefused);
  ASSERT_TRUE(Show(page));
  EXPECT_TRUE(WaitForRefusal(refused, target));
  EXPECT_EQ(Browser.View()->url(), QUrl::fromLocalFile(page));
  EXPECT_FALSE(PlainText().contains(QStringLiteral("SECRET-CONTENT")));
}

TEST_F(TBrowserTest, RefusesAMetaRefreshToTheSystemsFiles) {
  const QUrl target(QStringLiteral("file:///etc/hostname"));
  const QString page =
      WritePage(QStringLiteral("vantle_tmp.htm"),
                "<html><head><meta http-equiv=\"refresh\" content=\"0;url=file:///etc/hostname\">"
                "</head><body>feed</body></html>");
  QSignalSpy refused(&Browser, &TWebBrowser::navigationRefused);
  ASSERT_TRUE(Show(page));
  EXPECT_TRUE(WaitForRefusal(refused, target));
  EXPECT_EQ(Browser.LocationName(), QStringLiteral("vantle_tmp.htm"));
}

TEST_F(TBrowserTest, LoadsNoLocalFileIntoAFrame) {
  const QString secret = WritePage(QStringLiteral("secret.txt"), "SECRET-CONTENT");
  const QUrl target = QUrl::fromLocalFile(secret);
  const QString page =
      WritePage(QStringLiteral("vantle_tmp.htm"),
                "<html><body>feed<iframe id=\"f\" src=\"" + target.toEncoded() +
                    "\"></iframe><iframe src=\"file:///etc/hostname\"></iframe></body></html>");
  QSignalSpy refused(&Browser, &TWebBrowser::navigationRefused);
  ASSERT_TRUE(Show(page));
  EXPECT_TRUE(WaitForRefusal(refused, target));
  EXPECT_TRUE(WaitForRefusal(refused, QUrl(QStringLiteral("file:///etc/hostname"))));
  const QString inFrame =
      Evaluate(QStringLiteral("(function() { try { const d = document.getElementById("
                              "'f').contentDocument; return d ? d.documentElement."
                              "outerHTML : 'no document'; } catch (e) { return "
                              "'blocked'; } })()"))
          .toString();
  EXPECT_FALSE(inFrame.contains(QStringLiteral("SECRET-CONTENT"))) << inFrame.toStdString();
}

// Links drawn as large blocks, so that a click hits them.
QByteArray Link(const char* id, const QByteArray& href, const char* target = "_self") {
  return QByteArray("<a id=\"") + id + "\" target=\"" + target + "\" href=\"" + href +
         "\" style=\"display:block;width:300px;height:60px\">" + id + "</a>";
}

TEST_F(TBrowserTest, ShowsPicturesFromTheWebButNoLocalPicture) {
  TPageServer server;
  QFile local(Pages.Path(QStringLiteral("local.png")));
  ASSERT_TRUE(local.open(QIODevice::WriteOnly));
  local.write(PictureBytes());
  local.close();
  const QString page =
      WritePage(QStringLiteral("vantle_tmp.htm"),
                "<html><body><img id=\"web\" src=\"" + server.Url("/picture.png").toUtf8() +
                    "\"><img id=\"local\" src=\"" +
                    QUrl::fromLocalFile(local.fileName()).toEncoded() + "\"></body></html>");
  ASSERT_TRUE(Show(page));
  const auto width = [this](const char* id) {
    return Evaluate(
               QStringLiteral("document.getElementById('%1').naturalWidth").arg(QLatin1String(id)))
        .toInt();
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return width("web") == 8; }, LoadTimeoutMs));
  EXPECT_EQ(width("local"), 0);
}

TEST_F(TBrowserTest, RefusesLinksToOtherLocalFilesAndOtherSchemes) {
  const QString other = WritePage(QStringLiteral("other.html"), "<p>OTHER-PAGE</p>");
  const QString page = WritePage(QStringLiteral("vantle_tmp.htm"),
                                 "<html><body style=\"margin:0\">" +
                                     Link("file", QUrl::fromLocalFile(other).toEncoded()) +
                                     Link("ftp", "ftp://example.org/feed.xml") +
                                     Link("data", "data:text/html,DATA-PAGE") + "</body></html>");
  ASSERT_TRUE(Show(page));
  QSignalSpy refused(&Browser, &TWebBrowser::navigationRefused);
  ClickElement("file");
  EXPECT_TRUE(WaitForRefusal(refused, QUrl::fromLocalFile(other)));
  ClickElement("ftp");
  EXPECT_TRUE(WaitForRefusal(refused, QUrl(QStringLiteral("ftp://example.org/feed.xml"))));
  ClickElement("data");
  EXPECT_EQ(Browser.View()->url(), QUrl::fromLocalFile(page));
  EXPECT_FALSE(PlainText().contains(QStringLiteral("OTHER-PAGE")));
  EXPECT_FALSE(PlainText().contains(QStringLiteral("DATA-PAGE")));
}

TEST_F(TBrowserTest, FollowsAnAnchorWithinTheGeneratedPage) {
  const QString page =
      WritePage(QStringLiteral("vantle_tmp.htm"),
                "<html><body style=\"margin:0\">" + Link("a", "#item2") +
                    "<p id=\"item2\" style=\"margin-top:2000px\">2</p></body></html>");
  ASSERT_TRUE(Show(page));
  QSignalSpy refused(&Browser, &TWebBrowser::navigationRefused);
  QSignalSpy changed(Browser.View(), &QWebEngineView::urlChanged);
  ClickElement("a");
  ASSERT_TRUE(changed.wait(RefusalTimeoutMs));
  EXPECT_EQ(Browser.View()->url().fragment(), QStringLiteral("item2"));
  EXPECT_TRUE(refused.isEmpty());
}

TEST_F(TBrowserTest, RunsScriptsOfWebPagesOpenedFromTheFeedAndNotAfterComingBack) {
  TPageServer server;
  const QString web = server.Url("/scripted.html");
  const QString page =
      WritePage(QStringLiteral("vantle_tmp.htm"),
                "<html><head><title>Generated</title></head><body style=\"margin:0\">" +
                    Link("a", web.toUtf8()) + "</body></html>");
  ASSERT_TRUE(Show(page));
  ASSERT_TRUE(WaitForLoad([&] { ClickElement("a"); }));
  EXPECT_EQ(Browser.View()->url(), QUrl(web));
  EXPECT_TRUE(ScriptsEnabled());
  EXPECT_TRUE(QTest::qWaitFor([&] { return Browser.View()->title() == QLatin1String("scripted"); },
                              RefusalTimeoutMs));
  EXPECT_EQ(Browser.LocationName(), QStringLiteral("scripted.html"));
  EXPECT_EQ(Browser.LocationURL(), web);

  ASSERT_TRUE(WaitForLoad([&] { Browser.GoBack(); }));
  EXPECT_EQ(Browser.LocationName(), QStringLiteral("vantle_tmp.htm"));
  EXPECT_FALSE(ScriptsEnabled());
  EXPECT_EQ(Browser.View()->title(), QStringLiteral("Generated"));
  EXPECT_THROW(Browser.GoBack(), EBrowserError);

  ASSERT_TRUE(WaitForLoad([&] { Browser.GoForward(); }));
  EXPECT_EQ(Browser.LocationURL(), web);
  EXPECT_TRUE(ScriptsEnabled());
  EXPECT_THROW(Browser.GoForward(), EBrowserError);
}

TEST_F(TBrowserTest, DisarmsTheFeedsEventHandlersAndScriptAddresses) {
  const QString page =
      WritePage(QStringLiteral("vantle_tmp.htm"),
                "<html><head><title>Generated</title></head><body style=\"margin:0\">"
                "<div id=\"d\" onclick=\"document.title = 'handler ran'\" "
                "style=\"width:300px;height:60px\">item</div>" +
                    Link("j", " JavaScript:document.title = 'address ran'") + "</body></html>");
  ASSERT_TRUE(Show(page));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return Evaluate(QStringLiteral("document.getElementById('d').hasAttribute('onclick') || "
                                       "document.getElementById('j').hasAttribute('href')"))
                   .toBool() == false;
      },
      RefusalTimeoutMs));
  // As while a followed link is still loading: scripts are on, the feed's page still shown.
  Browser.View()->page()->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
  ClickElement("d");
  ClickElement("j");
  EXPECT_EQ(Evaluate(QStringLiteral("document.title")).toString(), QStringLiteral("Generated"));
}

TEST_F(TBrowserTest, KeepsScriptsOffWhenALinkFromTheGeneratedPageLoadsNothing) {
  TPageServer server;
  const QString page = WritePage(QStringLiteral("vantle_tmp.htm"),
                                 "<html><body style=\"margin:0\">" +
                                     Link("a", server.Url("/nothing").toUtf8()) + "</body></html>");
  ASSERT_TRUE(Show(page));
  QSignalSpy finished(Browser.View(), &QWebEngineView::loadFinished);
  ClickElement("a");
  ASSERT_TRUE(finished.wait(LoadTimeoutMs));
  EXPECT_EQ(Browser.View()->url(), QUrl::fromLocalFile(page));
  EXPECT_FALSE(ScriptsEnabled());
}

TEST_F(TBrowserTest, HandsAClickedMailLinkToTheDesktopAndStays) {
  TMailHandler mail;
  const QString page = WritePage(QStringLiteral("vantle_tmp.htm"),
                                 "<html><body style=\"margin:0\">" +
                                     Link("m", "mailto:editor@example.org") + "</body></html>");
  ASSERT_TRUE(Show(page));
  QSignalSpy refused(&Browser, &TWebBrowser::navigationRefused);
  ClickElement("m");
  ASSERT_TRUE(WaitForRefusal(refused, QUrl(QStringLiteral("mailto:editor@example.org"))));
  ASSERT_EQ(mail.Opened.size(), 1);
  EXPECT_EQ(mail.Opened[0], QUrl(QStringLiteral("mailto:editor@example.org")));
  EXPECT_EQ(Browser.View()->url(), QUrl::fromLocalFile(page));
}

TEST_F(TBrowserTest, OpensNoMailProgramForARefreshOrAFrame) {
  TMailHandler mail;
  const QString page = WritePage(
      QStringLiteral("vantle_tmp.htm"),
      "<html><head><meta http-equiv=\"refresh\" content=\"0;url=mailto:a@example.org\"></head>"
      "<body><iframe src=\"mailto:b@example.org\"></iframe></body></html>");
  ASSERT_TRUE(Show(page));
  // Nothing announces that the refresh was stopped, so give it a short, bounded chance.
  EXPECT_FALSE(QTest::qWaitFor([&] { return !mail.Opened.isEmpty(); }, 1500));
  EXPECT_EQ(Browser.View()->url(), QUrl::fromLocalFile(page));
}

TEST_F(TBrowserTest, ReadsAPageWithoutACharacterSetAsUtf8) {
  const QString page = WritePage(QStringLiteral("vantle_tmp.htm"),
                                 "<html><body><p>Caf\xc3\xa9 \xe2\x82\xac</p></body></html>");
  ASSERT_TRUE(Show(page));
  EXPECT_TRUE(PlainText().contains(QString::fromUtf8("Café €"))) << PlainText().toStdString();
  // Chromium also guesses the encoding, so the page alone cannot show the default.
  EXPECT_EQ(Browser.View()->page()->settings()->defaultTextEncoding(), QStringLiteral("utf-8"));
}

TEST_F(TBrowserTest, GoingBackOrForwardWithoutSuchAPageRaises) {
  EXPECT_THROW(Browser.GoBack(), EBrowserError);
  EXPECT_THROW(Browser.GoForward(), EBrowserError);
  ASSERT_TRUE(Show(WritePage(QStringLiteral("vantle_tmp.htm"), "<p>first</p>")));
  EXPECT_THROW(Browser.GoBack(), EBrowserError);
  EXPECT_THROW(Browser.GoForward(), EBrowserError);
}

TEST_F(TBrowserTest, RefusesGoingBackToAnEarlierOtherLocalFile) {
  // Only the page last navigated to may show; an older local file in the history may not.
  const QString first = WritePage(QStringLiteral("first.htm"), "<p>first</p>");
  const QString second = WritePage(QStringLiteral("vantle_tmp.htm"), "<p>second</p>");
  ASSERT_TRUE(Show(first));
  ASSERT_TRUE(Show(second));
  QSignalSpy refused(&Browser, &TWebBrowser::navigationRefused);
  Browser.GoBack();
  EXPECT_TRUE(WaitForRefusal(refused, QUrl::fromLocalFile(first)));
  EXPECT_EQ(Browser.LocationName(), QStringLiteral("vantle_tmp.htm"));
}

TEST_F(TBrowserTest, NamesThePageShown) {
  EXPECT_TRUE(Browser.LocationName().isEmpty());
  const QString page = WritePage(QStringLiteral("vantle_tmp.htm"), "<p>feed</p>");
  ASSERT_TRUE(Show(page));
  EXPECT_EQ(Browser.LocationName(), QStringLiteral("vantle_tmp.htm"));
  EXPECT_EQ(QUrl(Browser.LocationURL()), QUrl::fromLocalFile(page));

  TPageServer server;
  ASSERT_TRUE(WaitForLoad([&] { Browser.View()->load(QUrl(server.Url("/"))); }));
  EXPECT_EQ(Browser.LocationName(), QStringLiteral("127.0.0.1"));
}

TEST_F(TBrowserTest, ReportsDownloadBeginProgressAndCompleteInOrder) {
  std::vector<QString> events;
  Browser.OnDownloadBegin = [&] { events.push_back(QStringLiteral("begin")); };
  Browser.OnProgressChange = [&](int progress, int progressMax) {
    events.push_back(QStringLiteral("progress %1/%2").arg(progress).arg(progressMax));
  };
  Browser.OnDownloadComplete = [&] {
    events.push_back(QStringLiteral("complete ") + Browser.LocationName());
  };
  ASSERT_TRUE(Show(WritePage(QStringLiteral("vantle_tmp.htm"), "<p>feed</p>")));
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front(), QStringLiteral("begin"));
  EXPECT_EQ(events.back(), QStringLiteral("complete vantle_tmp.htm"));
  EXPECT_EQ(events[events.size() - 2], QStringLiteral("progress 100/100"));
}

// The windows of the program that are on the screen.
int VisibleWindows() {
  int visible = 0;
  for (const QWidget* widget : QApplication::topLevelWidgets()) {
    visible += widget->isVisible() ? 1 : 0;
  }
  return visible;
}

TEST_F(TBrowserTest, HandsOpenInBrowserToTheDesktopsBrowserAndReadMoreToItself) {
  TPageServer server;
  const QString article = server.Url("/scripted.html");
  const QString feed = WritePage(
      QStringLiteral("feed.xml"),
      "<rss version=\"2.0\"><channel><title>Feed</title><link>https://example.org/</link>"
      "<description>d</description><item><title>Story</title><link>" +
          article.toUtf8() + "</link><description>text</description></item></channel></rss>");
  TSimpleRSS reader;
  reader.LoadFromLink(feed.toStdString());
  const QString page = Pages.Path(QStringLiteral("vantle_tmp.htm"));
  ASSERT_TRUE(WaitForLoad([&] { ShowFeedView(reader, Browser, 0, page.toStdString()); }));
  TUrlHandler desktop(QStringLiteral("http"));
  const int windows = VisibleWindows();

  ClickLink("Open in browser");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !desktop.Opened.isEmpty(); }, RefusalTimeoutMs));
  EXPECT_EQ(desktop.Opened, QList<QUrl>{QUrl(article)});
  EXPECT_EQ(VisibleWindows(), windows) << "no window of the program's own";
  EXPECT_EQ(Browser.View()->url(), QUrl::fromLocalFile(page));

  ASSERT_TRUE(WaitForLoad([&] { ClickLink("Read more"); }));
  EXPECT_EQ(Browser.View()->url(), QUrl(article));
  EXPECT_EQ(desktop.Opened.size(), 1);
}

TEST_F(TBrowserTest, RefusesNewWindowsForLinksOtherThanTheWebs) {
  const QString other = WritePage(QStringLiteral("other.html"), "<p>OTHER-PAGE</p>");
  const QUrl file = QUrl::fromLocalFile(other);
  const QUrl script(QStringLiteral("javascript:document.title='ran'"));
  const QString page =
      WritePage(QStringLiteral("vantle_tmp.htm"),
                "<html><body style=\"margin:0\">" + Link("file", file.toEncoded(), "_blank") +
                    Link("script", script.toEncoded(), "_blank") +
                    Link("ftp", "ftp://example.org/", "_blank") + "</body></html>");
  ASSERT_TRUE(Show(page));
  // The generated page loses its script addresses; a web page keeps them.
  Evaluate(QStringLiteral("document.getElementById('script').setAttribute('href', \"%1\")")
               .arg(script.toString()));
  TUrlHandler files(QStringLiteral("file"));
  TUrlHandler scripts(QStringLiteral("javascript"));
  TUrlHandler ftp(QStringLiteral("ftp"));
  QSignalSpy refused(&Browser, &TWebBrowser::navigationRefused);
  const int windows = VisibleWindows();
  ClickElement("file");
  EXPECT_TRUE(WaitForRefusal(refused, file));
  ClickElement("ftp");
  EXPECT_TRUE(WaitForRefusal(refused, QUrl(QStringLiteral("ftp://example.org/"))));
  ClickElement("script");
  // Nothing announces what became of the script address, so give it a short, bounded chance.
  QTest::qWait(1000);
  EXPECT_TRUE(files.Opened.isEmpty());
  EXPECT_TRUE(scripts.Opened.isEmpty());
  EXPECT_TRUE(ftp.Opened.isEmpty());
  EXPECT_EQ(VisibleWindows(), windows);
  EXPECT_EQ(Evaluate(QStringLiteral("document.title")).toString(), QString());
  EXPECT_EQ(Browser.View()->url(), QUrl::fromLocalFile(page));
  EXPECT_FALSE(PlainText().contains(QStringLiteral("OTHER-PAGE")));
}

TEST_F(TBrowserTest, SaysSoAndGivesTheLinkWhenNoBrowserCanBeStarted) {
  const QUrl article(QStringLiteral("https://example.org/story?id=7"));
  QList<QUrl> tried;
  Browser.OpenExternally = [&](const QUrl& url) {
    tried.append(url);
    return false;
  };
  const auto box = test::AnswerNextBox(QMessageBox::Ok);
  Browser.OpenInDesktopBrowser(article);
  EXPECT_EQ(tried, QList<QUrl>{article});
  ASSERT_TRUE(box->Seen);
  EXPECT_TRUE(box->Text.contains(article.toString())) << box->Text.toStdString();
}

TEST_F(TBrowserTest, RendersThePageVisibly) {
  const QString page =
      WritePage(QStringLiteral("vantle_tmp.htm"),
                "<html><body style=\"margin:0\"><div style=\"background:#204080;width:400px;"
                "height:200px\"></div><h1>Feed</h1></body></html>");
  ASSERT_TRUE(Show(page));
  int coloured = 0;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const QImage shot = Browser.View()->grab().toImage();
        coloured = 0;
        for (int y = 0; y < shot.height(); y += 4) {
          for (int x = 0; x < shot.width(); x += 4) {
            const QColor pixel = shot.pixelColor(x, y);
            coloured += pixel.blue() > 100 && pixel.red() < 80 ? 1 : 0;
          }
        }
        return coloured > 1000;
      },
      LoadTimeoutMs))
      << "blue pixels seen: " << coloured;
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}

#include "component_browser_test.moc"
