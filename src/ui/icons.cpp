#include "ui/icons.h"

#include <QFile>

// The icons live in a static library: the linker keeps them only when asked.
static void loadIconResources() {
  static const bool loaded = [] {
    Q_INIT_RESOURCE(icons);
    return true;
  }();
  (void)loaded;
}

namespace pelnor {

namespace {

// The PNGs drawn from one SVG at build time; Qt picks the size and greys the disabled look.
QIcon iconFromPngs(const QString& name) {
  loadIconResources();
  QIcon icon;
  for (int size : {16, 32, 48, 64}) {
    const QString file = QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size);
    if (QFile::exists(file)) icon.addFile(file, QSize(size, size));
  }
  return icon;
}

}  // namespace

QIcon commandIcon(int commandId) { return iconFromPngs(QString::number(commandId)); }
QIcon applicationIcon() { return iconFromPngs(QStringLiteral("app")); }

}  // namespace pelnor
