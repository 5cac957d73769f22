// "バージョン情報": the product, its version, the notice and a link to the manual.
#pragma once

#include <QDialog>

namespace pelnor {

class CAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutBox(QWidget* parent = nullptr);
};

}  // namespace pelnor
