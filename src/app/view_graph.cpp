#include "app/view_graph.h"

#include <QPainter>

#include "app/pelnor_doc.h"

namespace pelnor {

void prepareView(QWidget& view, const char* objectName, const char* spokenName, CPelnorDoc& doc) {
  view.setObjectName(objectName);
  view.setAccessibleName(QString::fromUtf8(spokenName));
  view.setAccessibleDescription(doc.description());
  view.setAutoFillBackground(true);
  QPalette palette = view.palette();
  palette.setColor(QPalette::Window, Qt::white);
  view.setPalette(palette);
  QObject::connect(&doc, &CPelnorDoc::updated, &view, [&view, &doc](int hint) {
    if (hint != CPelnorDoc::kHintPeriod) return;
    view.setAccessibleDescription(doc.description());
    view.update();
  });
}

CViewGraph::CViewGraph(CPelnorDoc& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
  prepareView(*this, "CViewGraph", "グラフ", doc_);
}

void CViewGraph::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  doc_.graph().Draw(painter, rect(), doc_.screenMetrics(), &doc_.sheet(), doc_.demandAxis(),
                    doc_.energyAxis(), doc_.graphStyle());
}

}  // namespace pelnor
