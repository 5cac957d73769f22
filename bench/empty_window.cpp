// The yardsticks of the program's start-up, built by the same CMake with the same Qt: an
// empty Qt Widgets window, or with --text one line of Japanese text (so the fonts are loaded,
// as any window with text must), shown and ended after their first paint.
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstring>

#include "ui/first_paint_quit.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const bool withText = argc > 1 && std::strcmp(argv[1], "--text") == 0;
  QWidget plain;
  QLabel text(QStringLiteral("日別電力使用実績表"));
  QWidget& window = withText ? static_cast<QWidget&>(text) : plain;
  window.resize(1024, 720);
  pelnor::quitAfterFirstPaintWhenAsked(window);
  window.show();
  return app.exec();
}
