// The real program end to end: laid out as installed, started under Xvfb over a prepared data
// directory, then stopped with SIGTERM as a session or a service manager would.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xlib.h>
#include <sys/types.h>

#include <csignal>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr char WindowCaption[] = "Vantle - Simple Web Feed Reader";

std::string ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<missing>");
}

void Write(const QString& path, const std::string& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// The group file of one feed, written from the format's rules.
std::string OneFeedGroup(const std::string& link, const std::string& title) {
  const auto name = [](const std::string& text) { return static_cast<char>(text.size()) + text; };
  const auto shortText = [](const std::string& text) {
    return std::string("\x06") + static_cast<char>(text.size()) + text;
  };
  const auto record = [&](const std::string& type, const std::string& properties) {
    return "TPF0" + name(type) + std::string(1, '\0') + properties + std::string(2, '\0');
  };
  const auto cell = [&](char col, const std::string& text) {
    return record("TGridCellIO", name("Col") + "\x02" + col + name("Row") +
                                     std::string("\x02\0", 2) + name("Cell") + shortText(text) +
                                     name("HasProp") + "\x08");
  };
  return record("TGridPropIO", name("ColCount") + "\x02\x03" + name("RowCount") + "\x02\x01" +
                                   name("ColWidths") + shortText("0,10,176") + name("RowHeights") +
                                   shortText("35") + name("FullGrid") + "\x09" + name("ID") +
                                   "\x02\x07") +
         cell('\0', link) + cell('\2', title);
}

// Masks the ID and the title column's width, which a run rewrites: the first is new in every
// run, the second follows the list's width on the screen.
std::string WithoutRunDetails(std::string bytes) {
  const size_t id = bytes.find(std::string("\x02ID", 3));
  if (id != std::string::npos) {
    const int payload = bytes[id + 3] == 2 ? 1 : bytes[id + 3] == 3 ? 2 : 4;
    bytes.replace(id + 3, 1 + payload, "<id>");
  }
  const size_t widths = bytes.find("ColWidths");
  if (widths != std::string::npos) {
    const size_t length = static_cast<uint8_t>(bytes[widths + 10]);
    bytes.replace(widths + 10, 1 + length, "<widths>");
  }
  return bytes;
}

// Asks the top-level window on screen titled `title` on `display` to close, as a window
// manager's close button would; false when there is no such window. Qt's hidden windows (the
// client leader is titled with the application's name) are passed over.
bool CloseWindowTitled(const QString& display, const QString& authority, const std::string& title) {
  qputenv("XAUTHORITY", authority.toLocal8Bit());
  Display* x = XOpenDisplay(display.toLocal8Bit().constData());
  if (x == nullptr) return false;
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  bool closed = false;
  if (XQueryTree(x, XDefaultRootWindow(x), &root, &parent, &children, &count) != 0) {
    for (unsigned i = 0; i < count && !closed; ++i) {
      XWindowAttributes attributes{};
      if (XGetWindowAttributes(x, children[i], &attributes) == 0 ||
          attributes.map_state != IsViewable) {
        continue;
      }
      char* name = nullptr;
      if (XFetchName(x, children[i], &name) != 0 && name != nullptr) {
        if (title == name) {
          XEvent event{};
          event.xclient.type = ClientMessage;
          event.xclient.window = children[i];
          event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
          event.xclient.format = 32;
          event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
          event.xclient.data.l[1] = CurrentTime;
          closed = XSendEvent(x, children[i], False, NoEventMask, &event) != 0;
        }
        XFree(name);
      }
    }
    XFree(children);
  }
  XCloseDisplay(x);
  return closed;
}

class SmokeRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FRoot.isValid());
    if (QStandardPaths::findExecutable("xvfb-run").isEmpty() ||
        QStandardPaths::findExecutable("xwininfo").isEmpty()) {
      GTEST_SKIP() << "needs xvfb-run and xwininfo";
    }
    // The installed layout: the program, its guide and the browser module in one directory,
    // Data/ beside them.
    ASSERT_TRUE(QDir().mkpath(Path("app/Data")));
    ASSERT_TRUE(QFile::copy(VANTLE_EXECUTABLE, Path("app/vantle")));
    QFile::copy(QStringLiteral(VANTLE_GUIDE_PDF), Path("app/Vantle_UserGuide.pdf"));
    ASSERT_TRUE(QFile::copy(VANTLE_BROWSER_MODULE, Path("app/libvantle-browser.so")));
    for (const char* dir : {"home", "tmp", "run"}) {
      ASSERT_TRUE(QDir().mkpath(Path(dir)));
    }
    QFile::setPermissions(Path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

  QString Path(const QString& name) const { return FRoot.filePath(name); }

  // Starts the program under xvfb-run with `extra` in its environment; the shell before it
  // notes its pid and display.
  void StartProgram(const std::vector<std::pair<QString, QString>>& extra = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "QTWEBENGINE_DISABLE_SANDBOX", "DISPLAY",
                             "WAYLAND_DISPLAY", "XDG_DATA_HOME"}) {
      environment.remove(QString::fromLatin1(name));
    }
    environment.insert("HOME", Path("home"));
    environment.insert("TMPDIR", Path("tmp"));
    environment.insert("XDG_RUNTIME_DIR", Path("run"));
    for (const auto& [name, value] : extra) {
      environment.insert(name, value);
    }
    FProcess.setProcessEnvironment(environment);
    FProcess.setWorkingDirectory(Path("."));
    FProcess.setProcessChannelMode(QProcess::MergedChannels);
    // xvfb-run -a probes for a free display from the number given; starting each run at its
    // own number keeps runs from racing for the same one.
    const QString firstDisplay = QString::number(100 + QCoreApplication::applicationPid() % 5000);
    FProcess.start("xvfb-run",
                   {"-a", "-n", firstDisplay, "-s", "-screen 0 1280x1024x24", "sh", "-c",
                    "echo $$ > pid; echo \"$DISPLAY\" > display; echo \"$XAUTHORITY\" > xauth; "
                    "exec \"$0\"",
                    Path("app/vantle")});
    ASSERT_TRUE(FProcess.waitForStarted(10000));
  }

  // True once the program's window is mapped on the X server, within a minute.
  bool WaitForWindow() {
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired() && FProcess.state() == QProcess::Running) {
      const QString display = QString::fromStdString(ReadAll(Path("display"))).trimmed();
      const QString authority = QString::fromStdString(ReadAll(Path("xauth"))).trimmed();
      if (!display.startsWith(':')) {
        QThread::msleep(100);
        continue;
      }
      QProcess query;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert("XAUTHORITY", authority);
      query.setProcessEnvironment(environment);
      query.start("xwininfo", {"-display", display, "-root", "-tree"});
      if (query.waitForFinished(5000) &&
          query.readAllStandardOutput().contains(QByteArray("\"") + WindowCaption + "\"")) {
        return true;
      }
      QThread::msleep(200);
    }
    return false;
  }

  pid_t ProgramPid() const { return static_cast<pid_t>(std::stol("0" + ReadAll(Path("pid")))); }

  // Ends the program first, so that xvfb-run stops its X server; killed itself, it would
  // leave the server running.
  void TearDown() override {
    if (FProcess.state() != QProcess::NotRunning) {
      if (ProgramPid() > 0) {
        ::kill(ProgramPid(), SIGKILL);
      }
      if (!FProcess.waitForFinished(10000)) {
        FProcess.kill();
        FProcess.waitForFinished(10000);
      }
    }
  }

  QTemporaryDir FRoot;
  QProcess FProcess;
};

TEST_F(SmokeRun, StopsOnSigtermWritingTheSettingsAndKeepingTheGroup) {
  const std::string feed =
      "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Local</title>"
      "<link>https://example.org/</link><description>d</description></channel></rss>\n";
  Write(Path("local.xml"), feed);
  const std::string group = OneFeedGroup(Path("local.xml").toStdString(), "Local Feed");
  Write(Path("app/Data/Local.dat"), group);

  StartProgram();
  ASSERT_TRUE(WaitForWindow()) << FProcess.readAll().toStdString();
  ASSERT_GT(ProgramPid(), 0);
  EXPECT_FALSE(QFile::exists(Path("app/Data/Settings.ruv"))) << "written only at shutdown";

  ASSERT_EQ(::kill(ProgramPid(), SIGTERM), 0);
  ASSERT_TRUE(FProcess.waitForFinished(30000)) << "the program did not stop";
  EXPECT_EQ(FProcess.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(FProcess.exitCode(), 0) << FProcess.readAll().toStdString();

  const std::string written = ReadAll(Path("app/Data/Local.dat"));
  EXPECT_EQ(WithoutRunDetails(written), WithoutRunDetails(group));
  const std::string settings = ReadAll(Path("app/Data/Settings.ruv"));
  EXPECT_EQ(settings, "[SETTINGS]\r\nviewstyle=0\r\nwd=768\r\nhg=586\r\n");
  EXPECT_EQ(QDir(Path("app/Data")).entryList(QDir::Files, QDir::Name),
            (QStringList{"Local.dat", "Settings.ruv"}));
}

TEST_F(SmokeRun, ASecondStartOnTheSameDataDirectorySaysSoAndEndsWithoutWriting) {
  Write(Path("local.xml"), "<rss version=\"2.0\"><channel><title>L</title></channel></rss>");
  const std::string group = OneFeedGroup(Path("local.xml").toStdString(), "Local Feed");
  Write(Path("app/Data/Local.dat"), group);
  StartProgram();
  ASSERT_TRUE(WaitForWindow()) << FProcess.readAll().toStdString();

  // The same program again, on the first one's display, home and runtime directory.
  const QString display = QString::fromStdString(ReadAll(Path("display"))).trimmed();
  const QString authority = QString::fromStdString(ReadAll(Path("xauth"))).trimmed();
  QProcess second;
  QProcessEnvironment environment = FProcess.processEnvironment();
  environment.insert("DISPLAY", display);
  environment.insert("XAUTHORITY", authority);
  second.setProcessEnvironment(environment);
  second.setProcessChannelMode(QProcess::MergedChannels);
  second.start(Path("app/vantle"), {});
  ASSERT_TRUE(second.waitForStarted(10000));
  // Its message box, titled "Vantle", is closed as a user would close it.
  QDeadlineTimer deadline(60000);
  bool told = false;
  while (!told && !deadline.hasExpired() && second.state() == QProcess::Running) {
    told = CloseWindowTitled(display, authority, "Vantle");
    QThread::msleep(200);
  }
  EXPECT_TRUE(told) << "no message box";
  if (!second.waitForFinished(30000)) {
    second.kill();
    second.waitForFinished(10000);
    FAIL() << "the second start did not end";
  }
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0) << second.readAll().toStdString();
  EXPECT_EQ(QDir(Path("app/Data")).entryList(QDir::Files, QDir::Name), QStringList{"Local.dat"})
      << "the second start wrote no settings";
  EXPECT_EQ(ReadAll(Path("app/Data/Local.dat")), group);
  EXPECT_EQ(FProcess.state(), QProcess::Running) << "the first window runs on";
}

// libcurl is loaded at the first web fetch, not at start: a program linking it would not even
// start with a broken one first on the library path.
TEST_F(SmokeRun, ComesUpWithoutLoadingLibcurl) {
  ASSERT_TRUE(QDir().mkpath(Path("lib")));
  Write(Path("lib/libcurl.so.4"), "not a library");
  StartProgram({{"LD_LIBRARY_PATH", Path("lib")}});
  EXPECT_TRUE(WaitForWindow()) << FProcess.readAll().toStdString();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
