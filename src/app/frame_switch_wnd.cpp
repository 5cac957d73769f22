#include "app/frame_switch_wnd.h"

namespace pelnor {

CFrameSwitchWnd::CFrameSwitchWnd(Factory factory, QWidget* parent)
    : QStackedWidget(parent), factory_(std::move(factory)) {
  setObjectName("CFrameSwitchWnd");
  addWidget(new QWidget(this));
}

QWidget* CFrameSwitchWnd::viewOf(ViewKind kind) const {
  auto it = views_.find(kind);
  return it == views_.end() ? nullptr : it->second;
}

void CFrameSwitchWnd::SwitchView(ViewKind kind) {
  if (kind == current_) return;
  QWidget*& view = views_[kind];
  if (!view) {
    view = factory_(kind);
    addWidget(view);
  }
  setCurrentWidget(view);
  current_ = kind;
}

}  // namespace pelnor
