// Icons made when first drawn or measured, not when asked for. The window's menu bar and
// toolbars each ask the style for their overflow button's icon as they are built; Qt's style
// decodes it from PNG files through an image reader that loads every image format plugin
// (QtSvg and libjpeg among them), before anything is shown. Deferred, that happens only if a
// bar ever overflows.
#pragma once

#include <QIcon>
#include <QProxyStyle>
#include <functional>

namespace pelnor {

// An icon that calls make the first time it is used, and is that icon from then on.
QIcon deferredIcon(std::function<QIcon()> make);

// A style (the one given, which it then owns) with the toolbar and menu bar overflow icons
// deferred.
class DeferredIconsStyle : public QProxyStyle {
 public:
  explicit DeferredIconsStyle(QStyle* style) : QProxyStyle(style) {}
  QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override;
};

}  // namespace pelnor
