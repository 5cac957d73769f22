#include "views/view_graph.h"

#include <QPainter>

#include "app/pelnor_doc.h"

namespace pelnor {

// White, and repainted whenever the displayed period changes.
void prepareView(QWidget& view, const char* name, CPelnorDoc& doc) {
  view.setObjectName(name);
  view.setAutoFillBackground(true);
  QPalette palette = view.palette();
  palette.setColor(QPalette::Window, Qt::white);
  view.setPalette(palette);
  QObject::connect(&doc, &CPelnorDoc::updated, &view, [&view](int hint) {
    if (hint == CPelnorDoc::kHintPeriod) view.update();
  });
}

CViewGraph::CViewGraph(CPelnorDoc& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
  prepareView(*this, "CViewGraph", doc_);
}

void CViewGraph::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  doc_.graph().Draw(painter, rect(), doc_.screenMetrics(), &doc_.sheet(), doc_.demandAxis(),
                    doc_.energyAxis(), doc_.graphStyle());
}

}  // namespace pelnor
