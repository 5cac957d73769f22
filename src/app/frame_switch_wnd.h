// The frame below the bars that shows one display view at a time. A view is made the
// first time it is needed and then kept, hidden, with its scroll state.
#pragma once

#include <QStackedWidget>
#include <functional>
#include <map>
#include <optional>

#include "data/view_kind.h"

namespace pelnor {

class CFrameSwitchWnd : public QStackedWidget {
  Q_OBJECT

 public:
  using Factory = std::function<QWidget*(ViewKind kind)>;

  // factory makes the view of a kind. Until the first view is asked for, an empty place
  // is shown.
  explicit CFrameSwitchWnd(Factory factory, QWidget* parent = nullptr);

  void SwitchView(ViewKind kind);
  // Empty while the empty place is shown.
  std::optional<ViewKind> currentKind() const { return current_; }
  QWidget* viewOf(ViewKind kind) const;

 private:
  Factory factory_;
  std::map<ViewKind, QWidget*> views_;
  std::optional<ViewKind> current_;
};

}  // namespace pelnor
