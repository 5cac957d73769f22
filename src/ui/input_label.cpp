#include "ui/input_label.h"

#include <QRegularExpression>

namespace pelnor {

QString spokenLabel(QString text) {
  static const QRegularExpression letter(R"(\(&.\))");
  text.remove(letter);
  text.remove('&');
  while (text.endsWith(u'：') || text.endsWith(':')) text.chop(1);
  return text.trimmed();
}

QLabel* inputLabel(const QString& text, QWidget* input, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(input);
  if (input->accessibleName().isEmpty()) input->setAccessibleName(spokenLabel(text));
  return label;
}

}  // namespace pelnor
