#include "views/fonts.h"

#include <QFontMetrics>
#include <QHash>
#include <QMutex>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

namespace pelnor {

namespace {

struct FitKey {
  int width, height, dpi;
  bool bold;
  QString sample;
  bool operator==(const FitKey&) const = default;
};

size_t qHash(const FitKey& k, size_t seed = 0) {
  return ::qHashMulti(seed, k.width, k.height, k.dpi, k.bold, k.sample);
}

constexpr int kLargestSize = 400;  // no cell of a page is that tall
// Every window size met while resizing adds its cells; beyond this many the cache starts
// afresh rather than growing for as long as the program runs.
constexpr qsizetype kMaxFitted = 4096;

// Where sample ends when drawn at a point size from the cell's top-left corner.
QRect usedBy(const QPaintDevice& device, const QRect& cell, const QString& sample, bool bold, int size) {
  QFontMetrics metrics(faceAtPointSize(size, device, bold), &device);
  return metrics.boundingRect(QRect(cell.topLeft(), QSize(100000, 100000)), Qt::AlignLeft | Qt::AlignTop,
                              sample);
}

bool fitsAt(const QPaintDevice& device, const QRect& cell, const QString& sample, bool bold, int size) {
  const QRect used = usedBy(device, cell, sample, bold, size);
  return used.right() <= cell.right() && used.bottom() <= cell.bottom();
}

// The text grows with the size, so one measurement at a large size tells about where the
// answer lies; the sizes next to that estimate are then tried until the last one that fits.
// Each size tried loads a font engine, so this costs a few instead of one per point.
int largestFittingSize(const QPaintDevice& device, const QRect& cell, const QString& sample, bool bold) {
  constexpr int kProbe = 100;
  const QRect used = usedBy(device, cell, sample, bold, kProbe);
  double scale = used.width() > 0 ? double(cell.width()) / used.width() : 1.0;
  if (used.height() > 0) scale = std::min(scale, double(cell.height()) / used.height());
  int size = std::clamp(static_cast<int>(kProbe * scale), 1, kLargestSize);
  if (fitsAt(device, cell, sample, bold, size)) {
    while (size < kLargestSize && fitsAt(device, cell, sample, bold, size + 1)) ++size;
  } else {
    while (size > 1 && !fitsAt(device, cell, sample, bold, size)) --size;
  }
  return size;
}

}  // namespace

void installFontSubstitutions() {
  // The Japanese faces Windows has come first there, those of Linux distributions here.
  const QStringList faces{
#ifdef _WIN32
      "Yu Gothic UI", "Meiryo", "MS Gothic",
#endif
      "IPAGothic",    "IPAゴシック", "Noto Sans Mono CJK JP", "Noto Sans CJK JP", "VL Gothic", "TakaoGothic",
      "MS Gothic",    "DejaVu Sans Mono"};
  QFont::insertSubstitutions(kFaceName, faces);
  QFont::insertSubstitutions(QStringLiteral("@ＭＳ ゴシック"), faces);
}

QFont faceAtPointSize(int pointSize, const QPaintDevice& device, bool bold) {
  QFont font(kFaceName);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pointSize * device.logicalDpiY() / 72.0))));
  font.setBold(bold);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

QFont fittedFont(const QPaintDevice& device, const QRect& cell, const QString& sample, bool bold) {
  static QHash<FitKey, int> fitted;
  static QMutex mutex;
  const FitKey key{cell.width(), cell.height(), device.logicalDpiY(), bold, sample};
  {
    QMutexLocker lock(&mutex);
    auto it = fitted.constFind(key);
    if (it != fitted.constEnd()) return faceAtPointSize(*it, device, bold);
  }
  const int best = largestFittingSize(device, cell, sample, bold);
  QMutexLocker lock(&mutex);
  if (fitted.size() >= kMaxFitted) fitted.clear();
  fitted.insert(key, best);
  return faceAtPointSize(best, device, bold);
}

int drawVerticalText(QPainter& painter, int x, int top, const QString& text) {
  QFontMetrics metrics(painter.font(), painter.device());
  int y = top;
  for (QChar c : text) {
    const QString glyph(c);
    const int advance = metrics.horizontalAdvance(glyph);
    if (c.unicode() < 0x2E80 || (c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F)) {
      // Latin letters, digits and half-width kana lie on their side in vertical writing.
      painter.save();
      painter.translate(x + (metrics.height() - metrics.ascent()), y);
      painter.rotate(90);
      painter.drawText(0, 0, glyph);
      painter.restore();
      y += advance;
    } else {
      painter.drawText(x, y + metrics.ascent(), glyph);
      y += metrics.height();
    }
  }
  return y - top;
}

}  // namespace pelnor
