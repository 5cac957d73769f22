// What a screen reader says a widget is.
#pragma once

#include <QAccessible>
#include <QComboBox>

namespace pelnor::test {

// Its accessible name; for a combo box, whose name on Linux is its value, the name of the
// label it is labelled by (as AT-SPI readers take it).
inline QString spokenName(QWidget* w) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
  if (!face) return {};
  if (qobject_cast<QComboBox*>(w)) {
    const auto labels = face->relations(QAccessible::Label);
    return labels.isEmpty() ? QString() : labels.front().first->text(QAccessible::Name).trimmed();
  }
  return face->text(QAccessible::Name).trimmed();
}

}  // namespace pelnor::test
