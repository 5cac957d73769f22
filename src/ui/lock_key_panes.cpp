#include "ui/lock_key_panes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStatusBar>

#include "ui/lock_keys.h"

namespace pelnor {

LockKeyPanes::LockKeyPanes(QStatusBar& bar) : QObject(&bar) {
  const char* const names[] = {"CAP", "NUM", "SCRL"};
  for (std::size_t i = 0; i < panes_.size(); ++i) {
    auto* pane = new QLabel(names[i], &bar);
    pane->setObjectName(QString("lock") + names[i]);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setAlignment(Qt::AlignCenter);
    pane->setMinimumWidth(40);
    bar.addPermanentWidget(pane);
    panes_[i] = pane;
  }
  qApp->installEventFilter(this);
  refresh();
}

void LockKeyPanes::refresh() {
  const std::optional<LockKeys> keys = readLockKeys();
  const bool on[] = {keys && keys->caps, keys && keys->num, keys && keys->scroll};
  for (std::size_t i = 0; i < panes_.size(); ++i) {
    panes_[i]->setEnabled(on[i]);
    panes_[i]->setAccessibleName(panes_[i]->text() + (on[i] ? " オン" : " オフ"));
  }
}

bool LockKeyPanes::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyRelease) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock) refresh();
  } else if (event->type() == QEvent::ApplicationActivate) {
    refresh();  // a lock may have changed while another program had the keyboard
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace pelnor
