// Prints the user guide's HTML to a PDF file at build time:
//   vantle-guide-writer GUIDE.html OUTPUT.pdf

#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextStream>

#include <cstdio>

namespace {

bool ReadText(const QString& path, QString& text) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return false;
  }
  text = QString::fromUtf8(file.readAll());
  return true;
}

// Writes through a temporary file, so an interrupted build never leaves half a guide.
bool WritePdf(const QString& html, const QString& path) {
  QSaveFile output(path);
  if (!output.open(QIODevice::WriteOnly)) {
    return false;
  }
  QPdfWriter writer(&output);
  writer.setTitle(QStringLiteral("Vantle User Guide"));
  writer.setCreator(QStringLiteral("Vantle"));
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                   QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
  QTextDocument document;
  document.setDefaultFont(QFont(QStringLiteral("Sans Serif"), 11));
  document.setHtml(html);
  document.print(&writer);
  return output.commit();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fputs("usage: vantle-guide-writer GUIDE.html OUTPUT.pdf\n", stderr);
    return 2;
  }
  QString html;
  if (!ReadText(QString::fromLocal8Bit(argv[1]), html)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  if (!WritePdf(html, QString::fromLocal8Bit(argv[2]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
