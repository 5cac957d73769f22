#include "ui/icons.h"

#include <QFile>
#include <QHash>
#include <QIconEngine>
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

// Draws an SVG file at each size when it is first asked for: the window starts without
// rendering every icon at every size it might need.
class SvgIconEngine : public QIconEngine {
 public:
  explicit SvgIconEngine(QString resource) : resource_(std::move(resource)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    const quint64 key = (quint64(size.width()) << 32) | quint64(size.height()) | (quint64(mode) << 60);
    auto it = drawn_.constFind(key);
    if (it != drawn_.constEnd()) return *it;
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QSvgRenderer(resource_).render(&painter);
    painter.end();
    if (mode == QIcon::Disabled) {
      // As Qt greys any icon: drawn as it would draw a plain pixmap icon.
      QIcon plain(pixmap);
      pixmap = plain.pixmap(size, QIcon::Disabled);
    }
    drawn_.insert(key, pixmap);
    return pixmap;
  }

  QIconEngine* clone() const override { return new SvgIconEngine(resource_); }

 private:
  QString resource_;
  QHash<quint64, QPixmap> drawn_;
};

QIcon iconFromSvg(const QString& resource) {
  loadIconResources();
  if (!QFile::exists(resource)) return {};
  return QIcon(new SvgIconEngine(resource));
}

}  // namespace

QIcon commandIcon(int commandId) { return iconFromSvg(QStringLiteral(":/icons/%1.svg").arg(commandId)); }
QIcon applicationIcon() { return iconFromSvg(QStringLiteral(":/icons/app.svg")); }

}  // namespace pelnor
