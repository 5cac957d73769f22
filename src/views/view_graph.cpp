#include "views/view_graph.h"

#include <QPainter>

#include "app/pelnor_doc.h"

namespace pelnor {

CViewGraph::CViewGraph(CPelnorDoc& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
  setObjectName("CViewGraph");
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
  connect(&doc_, &CPelnorDoc::updated, this, [this](int hint) {
    if (hint == CPelnorDoc::kHintPeriod) update();
  });
}

void CViewGraph::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  doc_.graph().Draw(painter, rect(), doc_.screenMetrics(), &doc_.sheet(), doc_.demandAxis(),
                    doc_.energyAxis(), doc_.graphStyle());
}

}  // namespace pelnor
