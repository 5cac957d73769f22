// The frame below the bars that shows one display view at a time. A view is made the
// first time it is needed and then kept, hidden, with its scroll state.
#pragma once

#include <QStackedWidget>
#include <functional>
#include <map>

namespace pelnor {

class CFrameSwitchWnd : public QStackedWidget {
  Q_OBJECT

 public:
  using Factory = std::function<QWidget*(int kind)>;
  static constexpr int kMainView = 2;

  // factory makes the view of a kind (any kind without its own view gets the main view's).
  explicit CFrameSwitchWnd(Factory factory, QWidget* parent = nullptr);

  void SwitchView(int kind);
  int currentKind() const { return current_; }
  QWidget* viewOf(int kind) const;

 private:
  Factory factory_;
  std::map<int, QWidget*> views_;
  int current_ = -1;
};

}  // namespace pelnor
