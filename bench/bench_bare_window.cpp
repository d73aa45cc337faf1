// A bare Qt Widgets window of the reader window's first size: the yardstick of bench_startup.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.resize(768, 586);
  window.show();
  return application.exec();
}
