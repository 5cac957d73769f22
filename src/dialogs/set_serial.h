// "通信設定": the six line settings of the reception. The ports offered are those that
// open; the scan runs off the GUI thread behind the small busy window.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "data/device_registry.h"

class QComboBox;

namespace pelnor {

class CSetSerial : public QDialog {
  Q_OBJECT

 public:
  using Scan = std::function<std::vector<int>()>;
  using PortPath = std::function<std::string(int port)>;

  // scan finds the ports that open; portPath names the device of a port for the list.
  CSetSerial(const CommSettings& current, Scan scan, PortPath portPath, QWidget* parent = nullptr);

  // The six values as chosen (meaningful after OK).
  CommSettings settings() const;
  QComboBox& list(int id) const;

 private:
  QComboBox* combos_[6];
};

}  // namespace pelnor
