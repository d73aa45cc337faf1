#pragma once

// What the reader window's tests share: the application they run in, a window over a
// temporary data directory, files on disk, an encoder of group files written from the
// format's rules, and a script that answers the window's modal dialogs in turn.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CheckSchedule.h"
#include "CommandGuard.h"
#include "Exception.h"
#include "GridControl.h"
#include "PageControlEx.h"
#include "UfrmControl.h"
#include "VantleApplication.h"
#include "store/FeedStateDb.h"

namespace vantle::test {

// Runs the program's cases inside the reader's own application object, offscreen unless
// told otherwise.
inline int RunWindowTests(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  // Qt WebEngine's sandbox cannot start as root.
  if (::geteuid() == 0) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  TVantleApplication application(argc, argv);
  // Every command catches its own errors; one that reaches the event loop is a fault.
  application.OnUnguardedError = [](const std::exception& error) {
    ADD_FAILURE() << "an error passed through the event loop: " << error.what();
  };
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// Answers the modal widgets that open while it lives, one handler per widget, in order. A
// modal widget left without a handler for 10 seconds is rejected and the test fails, so no
// test waits for ever on a dialog it did not expect.
class TModalScript {
 public:
  using THandler = std::function<void(QWidget&)>;

  TModalScript() {
    QObject::connect(&FTimer, &QTimer::timeout, [this] { Poll(); });
    FTimer.start(15);
  }
  TModalScript(const TModalScript&) = delete;
  TModalScript& operator=(const TModalScript&) = delete;
  ~TModalScript() { FTimer.stop(); }

  // Adds the handler for the next modal widget.
  TModalScript& Then(THandler handler) {
    FHandlers.push_back(std::move(handler));
    return *this;
  }
  // How many modal widgets were answered so far.
  int Answered() const { return FAnswered; }
  // True once every handler has run.
  bool Done() const { return FHandlers.empty(); }

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible() || Seen(modal)) {
      return;
    }
    if (FHandlers.empty()) {
      if (!FUnexpected) {
        FUnexpected = QDeadlineTimer(10000);
      } else if (FUnexpected->hasExpired()) {
        ADD_FAILURE() << "unexpected modal widget " << modal->metaObject()->className() << ": "
                      << modal->windowTitle().toStdString();
        FSeen.push_back(modal);
        modal->close();
      }
      return;
    }
    FUnexpected.reset();
    FSeen.push_back(modal);
    THandler handler = std::move(FHandlers.front());
    FHandlers.pop_front();
    ++FAnswered;
    // Run apart from the poll: a handler may open a nested modal box (a confirmation), and
    // the poll must go on while that box waits.
    QMetaObject::invokeMethod(
        modal,
        [handler = std::move(handler), target = QPointer<QWidget>(modal)] {
          if (target != nullptr) {
            handler(*target);
          }
        },
        Qt::QueuedConnection);
  }

  bool Seen(QWidget* modal) const {
    for (const QPointer<QWidget>& seen : FSeen) {
      if (seen == modal) {
        return true;
      }
    }
    return false;
  }

  QTimer FTimer;
  std::deque<THandler> FHandlers;
  std::vector<QPointer<QWidget>> FSeen;
  std::optional<QDeadlineTimer> FUnexpected;
  int FAnswered = 0;
};

// A handler for a widget of class T; any other kind of widget fails the test and is closed.
template <class T>
TModalScript::THandler As(std::function<void(T&)> answer) {
  return [answer = std::move(answer)](QWidget& modal) {
    T* typed = qobject_cast<T*>(&modal);
    if (typed == nullptr) {
      ADD_FAILURE() << "expected another modal widget than " << modal.metaObject()->className()
                    << " \"" << modal.windowTitle().toStdString() << "\"";
      modal.close();
      return;
    }
    answer(*typed);
  };
}

// Notes a message box's text into `text` (when given) and presses `button`.
inline TModalScript::THandler Box(QMessageBox::StandardButton button, QString* text = nullptr) {
  return As<QMessageBox>([button, text](QMessageBox& box) {
    if (text != nullptr) {
      *text = box.text();
    }
    QAbstractButton* pressed = box.button(button);
    if (pressed == nullptr) {
      ADD_FAILURE() << "the box \"" << box.text().toStdString() << "\" has no such button";
      box.close();
      return;
    }
    pressed->click();
  });
}

// Types `text` into an input query and presses OK, noting its caption and prompt.
inline TModalScript::THandler Input(const QString& text, QString* caption = nullptr,
                                    QString* prompt = nullptr) {
  return As<QInputDialog>([text, caption, prompt](QInputDialog& query) {
    if (caption != nullptr) {
      *caption = query.windowTitle();
    }
    if (prompt != nullptr) {
      *prompt = query.labelText();
    }
    query.setTextValue(text);
    query.accept();
  });
}

// Cancels an input query.
inline TModalScript::THandler CancelInput() {
  return As<QInputDialog>([](QInputDialog& query) { query.reject(); });
}

// Runs `condition` until it holds, processing events, for at most `milliseconds`.
inline bool WaitFor(const std::function<bool()>& condition, int milliseconds = 15000) {
  QDeadlineTimer deadline(milliseconds);
  while (!condition()) {
    if (deadline.hasExpired()) {
      return false;
    }
    QTest::qWait(10);
  }
  return true;
}

// Runs `command` from the event loop through the command guard, as a click would, so that
// an error it raises takes the window's own way to the user; returns once it has ended (at
// most after 30 seconds).
inline void RunCommand(std::function<void()> command) {
  auto ended = std::make_shared<bool>(false);
  QMetaObject::invokeMethod(
      qApp,
      [command = std::move(command), ended] {
        struct TEnd {
          bool& Ended;
          ~TEnd() { Ended = true; }
        } end{*ended};
        vantle::RunCommand(qApp, command);
      },
      Qt::QueuedConnection);
  EXPECT_TRUE(WaitFor([ended] { return *ended; }, 30000)) << "the command did not end";
}

// A feed as a row of the list: its link and its title.
struct TFeedRow {
  std::string Link;
  std::string Title;
  bool operator==(const TFeedRow&) const = default;
};

inline void PrintTo(const TFeedRow& row, std::ostream* out) {
  *out << "{" << row.Link << ", " << row.Title << "}";
}

// Group files written from the format's own rules, independent of the codec under test.
namespace groupfile {

inline std::string LittleEndian(uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) {
    out += static_cast<char>((value >> (8 * i)) & 0xFF);
  }
  return out;
}

inline std::string Integer(int value) {
  if (value >= -128 && value <= 127) {
    return "\x02" + LittleEndian(static_cast<uint32_t>(value), 1);
  }
  if (value >= -32768 && value <= 32767) {
    return "\x03" + LittleEndian(static_cast<uint32_t>(value), 2);
  }
  return "\x04" + LittleEndian(static_cast<uint32_t>(value), 4);
}

inline std::string Text(const std::string& utf8) {
  const QString text = QString::fromStdString(utf8);
  const auto units = static_cast<size_t>(text.size());
  if (utf8.size() >= 2 * units) {
    std::string out = "\x12" + LittleEndian(static_cast<uint32_t>(units), 4);
    for (const QChar unit : text) {
      out += LittleEndian(unit.unicode(), 2);
    }
    return out;
  }
  bool ascii = true;
  for (const char c : utf8) {
    ascii = ascii && static_cast<unsigned char>(c) < 128;
  }
  if (ascii && utf8.size() <= 255) {
    return "\x06" + LittleEndian(static_cast<uint32_t>(utf8.size()), 1) + utf8;
  }
  if (ascii) {
    return "\x0C" + LittleEndian(static_cast<uint32_t>(utf8.size()), 4) + utf8;
  }
  return "\x14" + LittleEndian(static_cast<uint32_t>(utf8.size()), 4) + utf8;
}

inline std::string Name(const std::string& name) {
  return static_cast<char>(name.size()) + name;
}

inline std::string Record(const std::string& type, const std::string& properties) {
  return "TPF0" + Name(type) + std::string(1, '\0') + properties + std::string(2, '\0');
}

inline std::string Joined(const std::vector<int>& numbers) {
  std::string out;
  for (size_t i = 0; i < numbers.size(); ++i) {
    out += (i == 0 ? "" : ",") + std::to_string(numbers[i]);
  }
  return out;
}

inline std::string PropsRecord(int rows, int titleWidth, int id, int rowHeight = 35) {
  return Record("TGridPropIO",
                Name("ColCount") + Integer(3) + Name("RowCount") + Integer(rows) +
                    Name("ColWidths") + Text(Joined({0, 10, titleWidth})) + Name("RowHeights") +
                    Text(Joined(std::vector<int>(static_cast<size_t>(rows), rowHeight))) +
                    Name("FullGrid") + "\x09" + Name("ID") + Integer(id));
}

inline std::string CellRecord(int col, int row, const std::string& text) {
  return Record("TGridCellIO", Name("Col") + Integer(col) + Name("Row") + Integer(row) +
                                   Name("Cell") + Text(text) + Name("HasProp") + "\x08");
}

// A whole group file as the reader writes it: the list, then link and title of each row.
inline std::string Group(const std::vector<TFeedRow>& rows, int titleWidth = 176, int id = 1) {
  std::string out = PropsRecord(std::max<int>(1, static_cast<int>(rows.size())), titleWidth, id);
  for (size_t row = 0; row < rows.size(); ++row) {
    out += CellRecord(0, static_cast<int>(row), rows[row].Link);
    out += CellRecord(2, static_cast<int>(row), rows[row].Title);
  }
  return out;
}

// The ID a written file carries (it differs from run to run); 0 when there is none.
inline int IdOf(const std::string& bytes) {
  const size_t at = bytes.find(std::string("\x02ID", 3));
  if (at == std::string::npos || at + 4 > bytes.size()) {
    return 0;
  }
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[at + 4 + i]); };
  switch (bytes[at + 3]) {
    case 2:
      return static_cast<int8_t>(byte(0));
    case 3:
      return static_cast<int16_t>(byte(0) | byte(1) << 8);
    case 4:
      return static_cast<int32_t>(byte(0) | byte(1) << 8 | byte(2) << 16 |
                                  static_cast<uint32_t>(byte(3)) << 24);
    default:
      return 0;
  }
}

// The last of the ColWidths a written file carries; -1 when there are none.
inline int TitleWidthOf(const std::string& bytes) {
  const size_t at = bytes.find(
      "\x09"
      "ColWidths\x06");
  if (at == std::string::npos || at + 12 > bytes.size()) {
    return -1;
  }
  const std::string widths = bytes.substr(at + 12, static_cast<uint8_t>(bytes[at + 11]));
  return std::stoi(widths.substr(widths.rfind(',') + 1));
}

}  // namespace groupfile

// Writes `bytes` to the file at `path`.
inline void WriteFile(const QString& path, const std::string& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A window over a fresh data directory, and the files around it.
class TWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FRoot.isValid());
    // The generated page goes to a directory of this test.
    qputenv("TMPDIR", FRoot.filePath(QStringLiteral("tmp")).toUtf8());
    QDir().mkpath(FRoot.filePath(QStringLiteral("tmp")));
    QDir().mkpath(FRoot.filePath(QStringLiteral("feeds")));
  }

  void TearDown() override {
    if (Window != nullptr && Window->isVisible()) {
      Window->close();
    }
    Window.reset();
  }

  // The data directory, with its trailing separator.
  std::string DataDir() const { return FRoot.filePath(QStringLiteral("Data")).toStdString() + "/"; }
  QString DataPath(const QString& name) const { return QString::fromStdString(DataDir()) + name; }

  // Creates and shows the window over DataDir. It checks no feed on its own, so that no
  // test sees a request or a change it did not ask for.
  TfrmControl& Start() {
    Window = std::make_unique<TfrmControl>(DataDir());
    try {
      TFeedStateDb(DataDir()).SetSetting(CheckIntervalKey, "0");
    } catch (const Exception&) {
      // A data directory that cannot be written: its state cannot be read either.
    }
    Window->show();
    return *Window;
  }

  // Closes the window the normal way (its shutdown runs).
  void Close() { Window->close(); }

  void WriteData(const QString& name, const std::string& bytes) {
    QDir().mkpath(QString::fromStdString(DataDir()));
    WriteFile(DataPath(name), bytes);
  }

  std::string ReadData(const QString& name) const {
    QFile file(DataPath(name));
    if (!file.open(QIODevice::ReadOnly)) {
      return "<missing>";
    }
    return file.readAll().toStdString();
  }

  bool DataExists(const QString& name) const { return QFile::exists(DataPath(name)); }

  // The names in the data directory, in alphabetical order.
  QStringList DataFiles() const {
    return QDir(QString::fromStdString(DataDir())).entryList(QDir::Files, QDir::Name);
  }

  // The feeds a group file on disk holds, read through a fresh grid.
  std::vector<TFeedRow> FeedsOnDisk(const QString& group) const {
    TGridControl grid;
    grid.LoadFromBytes(ReadData(group + ".dat"));
    std::vector<TFeedRow> rows;
    for (int row = 0; row < grid.RowCount(); ++row) {
      if (!grid.Cells(0, row).empty() || !grid.Cells(2, row).empty()) {
        rows.push_back({grid.Cells(0, row), grid.Cells(2, row)});
      }
    }
    return rows;
  }

  // The feeds the window's list holds, row by row.
  std::vector<TFeedRow> FeedsInList() const {
    std::vector<TFeedRow> rows;
    for (int row = 0; row < Window->FeedGrid->RowCount(); ++row) {
      if (!Window->FeedGrid->Cells(0, row).empty() || !Window->FeedGrid->Cells(2, row).empty()) {
        rows.push_back({Window->FeedGrid->Cells(0, row), Window->FeedGrid->Cells(2, row)});
      }
    }
    return rows;
  }

  // The entries of the group list, in order.
  QStringList Groups() const {
    QStringList names;
    for (int i = 0; i < Window->GroupBox->count(); ++i) {
      names << Window->GroupBox->itemText(i);
    }
    return names;
  }

  // Writes an RSS 2.0 feed titled `title` under feeds/ and returns its path; the items link
  // to `itemLink` when given.
  std::string WriteFeed(const QString& name, const std::string& title,
                        const std::string& itemLink = "https://example.org/item") {
    const QString path = FRoot.filePath(QStringLiteral("feeds/") + name);
    WriteFile(path,
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel><title>" +
                  title +
                  "</title><link>https://example.org/</link><description>Test feed</description>"
                  "<item><title>First story</title><link>" +
                  itemLink +
                  "</link><description>The first story</description></item>"
                  "</channel></rss>\n");
    return path.toStdString();
  }

  std::string MissingFeed() const {
    return FRoot.filePath(QStringLiteral("feeds/not-there.xml")).toStdString();
  }

  QTemporaryDir FRoot;
  std::unique_ptr<TfrmControl> Window;
};

}  // namespace vantle::test
