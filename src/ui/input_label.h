// The label in front of an input: its letter (the character after "&") puts the focus on
// the input, and its words, without the letter and the colon, are the name a screen reader
// says for the input (combo boxes would otherwise be told by their value alone).
#pragma once

#include <QLabel>

namespace pelnor {

QLabel* inputLabel(const QString& text, QWidget* input, QWidget* parent);
// "機器ＩＤ(&I)：" → "機器ＩＤ".
QString spokenLabel(QString text);

}  // namespace pelnor
