#include "ui/busy_indicator.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <cmath>
#include <numbers>

namespace pelnor {

namespace {

constexpr int kDots = 12;
constexpr int kStepMs = 80;

}  // namespace

BusyIndicator::BusyIndicator(QWidget* parent) : QWidget(parent) {
  setObjectName("id1031");
  setMinimumSize(32, 32);
  timer_.setInterval(kStepMs);
  connect(&timer_, &QTimer::timeout, this, [this] {
    step_ = (step_ + 1) % kDots;
    update();
  });
}

void BusyIndicator::start() { timer_.start(); }

void BusyIndicator::stop() {
  timer_.stop();
  update();
}

void BusyIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const double radius = std::min(width(), height()) / 2.0 - 4;
  const QPointF centre(width() / 2.0, height() / 2.0);
  for (int i = 0; i < kDots; ++i) {
    const double angle = 2 * std::numbers::pi * i / kDots;
    // The dots behind the bright one fade out; a stopped ring is all grey.
    const int age = (step_ - i + kDots) % kDots;
    QColor color = running() ? QColor(31, 95, 153) : QColor(190, 190, 190);
    if (running()) color.setAlpha(255 - age * 200 / kDots);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(centre + QPointF(radius * std::sin(angle), -radius * std::cos(angle)), 3, 3);
  }
}

BusyWindow::BusyWindow(const QString& text, QWidget* parent) : QWidget(parent, Qt::Dialog) {
  setObjectName("id5550");
  setWindowTitle("ｲﾝﾌｫﾒｰｼｮﾝ");
  auto* layout = new QHBoxLayout(this);
  auto* busy = new BusyIndicator(this);
  layout->addWidget(busy);
  layout->addWidget(new QLabel(text, this));
  busy->start();
}

}  // namespace pelnor
