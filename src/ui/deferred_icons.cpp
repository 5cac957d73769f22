#include "ui/deferred_icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <optional>

#include "ui/pixmap_icon_paint.h"

namespace pelnor {

namespace {

class DeferredIconEngine : public QIconEngine {
 public:
  explicit DeferredIconEngine(std::function<QIcon()> make) : make_(std::move(make)) {}

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return icon().pixmap(size, 1.0, mode, state);
  }
  // The icons deferred are Qt's pixmap icons, and paint as they do.
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    paintAsPixmapIcon(*this, painter, rect, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return icon().actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return icon().availableSizes(mode, state);
  }
  bool isNull() override { return icon().isNull(); }
  QIconEngine* clone() const override { return new DeferredIconEngine(*this); }
  QString key() const override { return QStringLiteral("PelnorDeferred"); }

 private:
  const QIcon& icon() {
    if (!made_) made_ = make_();
    return *made_;
  }

  std::function<QIcon()> make_;
  std::optional<QIcon> made_;
};

}  // namespace

QIcon deferredIcon(std::function<QIcon()> make) { return QIcon(new DeferredIconEngine(std::move(make))); }

QIcon DeferredIconsStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                       const QWidget* widget) const {
  if (icon != SP_ToolBarHorizontalExtensionButton && icon != SP_ToolBarVerticalExtensionButton)
    return QProxyStyle::standardIcon(icon, option, widget);
  // Made without the option and the widget, which may be gone by then: the bars pass none,
  // and the direction is the application's.
  QPointer<QStyle> base(const_cast<QStyle*>(baseStyle()));
  return deferredIcon([base, icon] { return base ? base->standardIcon(icon, nullptr, nullptr) : QIcon(); });
}

}  // namespace pelnor
