// "グラフ描画属性の設定": the colours of the three series and the widths of the two lines.
#pragma once

#include <QDialog>

class QComboBox;

namespace pelnor {

class CAppSettings;
class ColorButton;

class CSetLineAttr : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kWidths = 10;

  explicit CSetLineAttr(const CAppSettings& settings, QWidget* parent = nullptr);

  ColorButton& temperatureColor() const { return *temperatureColor_; }
  ColorButton& energyColor() const { return *energyColor_; }
  ColorButton& demandColor() const { return *demandColor_; }
  QComboBox& temperatureWidth() const { return *temperatureWidth_; }
  QComboBox& energyWidth() const { return *energyWidth_; }

  // The chosen colours and widths into settings (a width not chosen stays as it is there).
  void storeIn(CAppSettings& settings) const;

 private:
  ColorButton* temperatureColor_;
  ColorButton* energyColor_;
  ColorButton* demandColor_;
  QComboBox* temperatureWidth_;
  QComboBox* energyWidth_;
};

}  // namespace pelnor
