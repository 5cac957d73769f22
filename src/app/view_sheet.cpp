#include "app/view_sheet.h"

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

#include "app/pelnor_doc.h"
#include "app/view_graph.h"

namespace pelnor {

namespace {

constexpr int kLineStep = 10;
constexpr int kMinimumBodyHeight = 500;

}  // namespace

CViewSheet::CViewSheet(CPelnorDoc& doc, QWidget* parent)
    : QWidget(parent), doc_(doc), bar_(new QScrollBar(Qt::Vertical, this)) {
  prepareView(*this, "CViewSheet", "表", doc_);
  bar_->hide();
  bar_->setSingleStep(kLineStep);
  connect(bar_, &QScrollBar::valueChanged, this, [this](int value) { scrollTo(value); });
  connect(&doc_, &CPelnorDoc::updated, this, [this](int hint) {
    if (hint == CPelnorDoc::kHintPeriod) resetScrollOnNewPeriod();
  });
}

void CViewSheet::resizeEvent(QResizeEvent*) {
  const int width = bar_->sizeHint().width();
  bar_->setGeometry(this->width() - width, 0, width, height());
}

void CViewSheet::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int barWidth = bar_->isVisible() ? bar_->width() : 0;
  QPoint overflow;
  QPoint scroll = scroll_;
  doc_.sheet().Draw(painter, QRect(0, 0, width() - barWidth, height()), doc_.screenMetrics(),
                    QPoint(0, kMinimumBodyHeight), scroll, overflow);
  const bool overflowNow = overflow.y() > 0;
  const bool stateChanged = overflowNow != overflowShown_;
  const bool rangeChanged = overflow.y() != overflow_.y() || scroll.y() != scroll_.y();
  overflow_ = overflow;
  scroll_ = scroll;
  if (stateChanged) {
    overflowShown_ = overflowNow;
    QSignalBlocker block(bar_);
    bar_->setRange(0, overflowNow ? overflow.y() : 0);
    bar_->setValue(0);
    bar_->setPageStep(std::max(1, static_cast<int>(std::lround(overflow.y() / 30.0))));
    bar_->setVisible(overflowNow);
    scroll_ = QPoint(0, 0);
    update();
  } else if (rangeChanged && overflowNow) {
    QSignalBlocker block(bar_);
    bar_->setRange(0, overflow.y());
    bar_->setValue(scroll.y());
  }
}

void CViewSheet::resetScrollOnNewPeriod() {
  const CSheetData& sheet = doc_.sheet();
  if (sheet.period() == shownPeriod_ && sheet.start() == shownStart_) return;
  shownPeriod_ = sheet.period();
  shownStart_ = sheet.start();
  scroll_ = QPoint(0, 0);
  QSignalBlocker block(bar_);
  bar_->setValue(0);
}

void CViewSheet::wheelEvent(QWheelEvent* event) {
  if (!overflowShown_) return;
  scrollTo(scroll_.y() - event->angleDelta().y() / 120 * kLineStep * 3);
}

void CViewSheet::scrollTo(int position) {
  if (!overflowShown_) return;
  scroll_.setY(std::clamp(position, 0, overflow_.y()));
  QSignalBlocker block(bar_);
  bar_->setValue(scroll_.y());
  update();
}

}  // namespace pelnor
