#pragma once

// Helpers shared by the component tests: the Qt application they run in, and answering the
// modal boxes a component opens.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

#include <memory>

namespace vantle::test {

// What a modal message box showed before the test answered it.
struct TAnsweredBox {
  bool Seen = false;
  QString Text;
  QString Title;
};

// Answers the next modal message box with `button`, polling for at most about five seconds
// so that a test never hangs on a box that did not come.
inline std::shared_ptr<TAnsweredBox> AnswerNextBox(QMessageBox::StandardButton button) {
  auto answer = std::make_shared<TAnsweredBox>();
  auto* timer = new QTimer(qApp);
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, answer, button, tries] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box != nullptr) {
      answer->Seen = true;
      answer->Text = box->text();
      answer->Title = box->windowTitle();
      if (QAbstractButton* pressed = box->button(button)) {
        pressed->click();
      } else {
        box->reject();
      }
    }
    if (box != nullptr || ++*tries > 250) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(20);
  return answer;
}

// Runs the test program's cases inside a Qt application, offscreen unless told otherwise.
inline int RunComponentTests(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  // Qt WebEngine's sandbox cannot start as root.
  if (geteuid() == 0) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Vantle"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// Feed files written for one test into a temporary directory.
class TFeedFiles {
 public:
  TFeedFiles() { EXPECT_TRUE(FDir.isValid()); }

  QString Write(const QString& name, const QByteArray& content) {
    const QString path = FDir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
  }

  QString Feed(const QString& name, const QByteArray& title) {
    return Write(name,
                 "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                 "<rss version=\"2.0\"><channel><title>" +
                     title +
                     "</title><link>https://example.org/</link>"
                     "<description>Sample</description>"
                     "<item><title>One</title><link>https://example.org/1</link>"
                     "<description>First</description></item>"
                     "</channel></rss>\n");
  }

  QString Missing() const { return Path(QStringLiteral("nothing-here.xml")); }

  // Where a file named `name` is, or would be, written.
  QString Path(const QString& name) const { return FDir.filePath(name); }

 private:
  QTemporaryDir FDir;
};

}  // namespace vantle::test
