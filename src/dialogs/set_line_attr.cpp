#include "dialogs/set_line_attr.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/app_settings.h"
#include "ui/color_button.h"
#include "ui/input_label.h"

namespace pelnor {

namespace {

// The stored width is the position of the entry, not the number it shows.
QComboBox* widthList(int32_t stored, QWidget* parent) {
  auto* list = new QComboBox(parent);
  for (int i = 1; i <= CSetLineAttr::kWidths; ++i) list->addItem(QString::number(i));
  list->setCurrentIndex(stored >= 0 && stored < CSetLineAttr::kWidths ? stored : -1);
  return list;
}

ColorButton* colorButton(uint32_t color, QWidget* parent) {
  auto* button = new ColorButton(parent);
  button->setColor(color);
  return button;
}

}  // namespace

CSetLineAttr::CSetLineAttr(const CAppSettings& settings, QWidget* parent) : QDialog(parent) {
  setObjectName("id146");
  setWindowTitle("グラフ描画属性の設定");
  auto* layout = new QVBoxLayout(this);
  temperatureColor_ = colorButton(settings.maxTempColor, this);
  energyColor_ = colorButton(settings.energyColor, this);
  demandColor_ = colorButton(settings.demandColor, this);
  temperatureWidth_ = widthList(settings.maxTempWidth, this);
  energyWidth_ = widthList(settings.energyWidth, this);

  // Each group's inputs take letters of their own, and names that say which graph they set.
  auto group = [&](const QString& title, const QString& colorLabel, ColorButton* color,
                   const QString& widthLabel, QComboBox* width) {
    auto* box = new QGroupBox(title + "：", this);
    auto* form = new QFormLayout(box);
    color->setAccessibleName(title + "の線の色");
    form->addRow(inputLabel(colorLabel, color, box), color);
    if (width) {
      width->setAccessibleName(title + "の線の太さ");
      form->addRow(inputLabel(widthLabel, width, box), width);
    }
    layout->addWidget(box);
  };
  group("最高気温折れ線グラフ", "線の色(&T)：", temperatureColor_, "線の太さ(&H)：", temperatureWidth_);
  group("使用電力量折れ線グラフ", "線の色(&E)：", energyColor_, "線の太さ(&K)：", energyWidth_);
  group("デマンド棒グラフ", "線の色(&D)：", demandColor_, QString(), nullptr);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText("キャンセル");
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &CSetLineAttr::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // The inputs were made before their group boxes: Tab goes top to bottom, starting at the first.
  QWidget* const order[] = {temperatureColor_,
                            temperatureWidth_,
                            energyColor_,
                            energyWidth_,
                            demandColor_,
                            buttons->button(QDialogButtonBox::Ok),
                            buttons->button(QDialogButtonBox::Cancel)};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  temperatureColor_->setFocus();
}

void CSetLineAttr::storeIn(CAppSettings& settings) const {
  settings.maxTempColor = temperatureColor_->color();
  settings.energyColor = energyColor_->color();
  settings.demandColor = demandColor_->color();
  // Without a choice the width stays as it was.
  if (temperatureWidth_->currentIndex() >= 0) settings.maxTempWidth = temperatureWidth_->currentIndex();
  if (energyWidth_->currentIndex() >= 0) settings.energyWidth = energyWidth_->currentIndex();
}

}  // namespace pelnor
