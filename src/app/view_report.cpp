#include "app/view_report.h"

#include <QPainter>

#include "app/pelnor_doc.h"
#include "app/view_graph.h"
#include "views/report_data.h"

namespace pelnor {

CViewReport::CViewReport(CPelnorDoc& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
  prepareView(*this, "CViewReport", "月次報告書", doc_);
}

void CViewReport::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (doc_.report().empty()) {
    painter.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, QString::fromUtf8(kMonthOnlyHint));
  }
  doc_.report().Draw(painter, rect(), doc_.screenMetrics(), doc_.demandAxis(), doc_.energyAxis(),
                     doc_.graphStyle());
}

}  // namespace pelnor
