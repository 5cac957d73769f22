#include "ui/icons.h"

#include <QFile>
#include <QIconEngine>
#include <QImageReader>
#include <QMap>

#include "ui/pixmap_icon_paint.h"

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

constexpr int kDrawnSizes[] = {16, 32, 48, 64};

QString pngOf(const QString& name, int size) { return QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size); }

// The PNGs drawn from one SVG at build time, each decoded when a size that needs it is first
// asked for: the window starts with the toolbar's icons decoded, not every size of every
// command. Which PNG serves a size, and how it is scaled and greyed, is left to Qt's own
// icon of that one file, so the pixels are those of an icon holding them all.
class PngSetEngine : public QIconEngine {
 public:
  PngSetEngine(QString name, QList<int> sizes) : name_(std::move(name)), sizes_(std::move(sizes)) {}

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return iconFor(size).pixmap(size, 1.0, mode, state);
  }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    paintAsPixmapIcon(*this, painter, rect, mode, state);
  }

  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return iconFor(size).actualSize(size, mode, state);
  }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    QList<QSize> sizes;
    for (int size : sizes_) sizes.append(QSize(size, size));
    return sizes;
  }

  bool isNull() override { return sizes_.isEmpty(); }
  QIconEngine* clone() const override { return new PngSetEngine(*this); }
  QString key() const override { return QStringLiteral("PelnorPngSet"); }

 private:
  // As Qt picks among the sizes of one icon: the smallest that is at least as large as asked,
  // else the largest.
  const QIcon& iconFor(const QSize& wanted) {
    const int area = wanted.width() * wanted.height();
    int chosen = sizes_.back();
    for (int size : sizes_) {
      if (size * size >= area) {
        chosen = size;
        break;
      }
    }
    auto it = decoded_.find(chosen);
    if (it == decoded_.end()) {
      // Read as PNG, told so: a reader left to find the format itself loads and asks every
      // image format plugin (SVG, JPEG, GIF, ICO) first.
      QImageReader reader(pngOf(name_, chosen), "png");
      reader.setAutoDetectImageFormat(false);
      QIcon one;
      one.addPixmap(QPixmap::fromImage(reader.read()));
      it = decoded_.insert(chosen, one);
    }
    return *it;
  }

  QString name_;
  QList<int> sizes_;  // ascending
  QMap<int, QIcon> decoded_;
};

QIcon iconFromPngs(const QString& name) {
  loadIconResources();
  QList<int> sizes;
  for (int size : kDrawnSizes) {
    if (QFile::exists(pngOf(name, size))) sizes.append(size);
  }
  return sizes.isEmpty() ? QIcon() : QIcon(new PngSetEngine(name, sizes));
}

}  // namespace

QIcon commandIcon(int commandId) { return iconFromPngs(QString::number(commandId)); }
QIcon applicationIcon() { return iconFromPngs(QStringLiteral("app")); }

}  // namespace pelnor
