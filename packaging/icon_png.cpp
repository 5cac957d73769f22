// Draws an SVG icon as a PNG (or a Windows ICO) of one size, for the icon theme and the window:
//   pelnor_icon_png ICON.svg SIZE OUT.png|OUT.ico
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: pelnor_icon_png ICON.svg SIZE OUT.png\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");  // no display at build time
  QGuiApplication app(argc, argv);
  const int size = QString(argv[2]).toInt();
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  if (!svg.isValid() || size <= 0) return 1;
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  svg.render(&painter);
  painter.end();
  return image.save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;  // PNG, or ICO for Windows
}
