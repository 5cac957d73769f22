#include "ui/icons.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resources live in a static library: the linker keeps them only when asked.
static void loadIconResources() {
  static const bool loaded = [] {
    Q_INIT_RESOURCE(pelnor);
    return true;
  }();
  (void)loaded;
}

namespace pelnor {

namespace {

QIcon iconFromSvg(const QString& resource) {
  loadIconResources();
  if (!QFile::exists(resource)) return {};
  QSvgRenderer renderer(resource);
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon commandIcon(int commandId) { return iconFromSvg(QStringLiteral(":/icons/%1.svg").arg(commandId)); }
QIcon applicationIcon() { return iconFromSvg(QStringLiteral(":/icons/app.svg")); }

}  // namespace pelnor
