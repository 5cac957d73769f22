// How Qt's own pixmap icon paints, for our icon engines that stand in for one: the pixmap
// for the rectangle at the device's density, stretched into it.
#pragma once

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>

namespace pelnor {

inline void paintAsPixmapIcon(QIconEngine& engine, QPainter* painter, const QRect& rect, QIcon::Mode mode,
                              QIcon::State state) {
  const QPaintDevice* device = painter->device();
  const QSize size = rect.size() * (device ? device->devicePixelRatio() : qApp->devicePixelRatio());
  painter->drawPixmap(rect, engine.pixmap(size, mode, state));
}

}  // namespace pelnor
