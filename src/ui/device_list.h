// The list of registered devices that the past-data and device settings dialogs share:
// ID, customer name and the VCT primary current of each device, in ID order. The rows are
// read from the registry as they are drawn, so a master of many thousand devices opens at once.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include "data/device_registry.h"

namespace pelnor {

class DeviceListModel : public QAbstractTableModel {
 public:
  explicit DeviceListModel(const DeviceRegistry& registry, QObject* parent = nullptr)
      : QAbstractTableModel(parent), registry_(registry) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  // After the registry changed.
  void refresh();

 private:
  const DeviceRegistry& registry_;
};

// The list's object name in every dialog that shows it.
inline constexpr const char* kDeviceListName = "id1007";

class DeviceList : public QTableView {
 public:
  DeviceList(const DeviceRegistry& registry, QWidget* parent);

  // After the registry changed: the rows anew, nothing selected.
  void refresh();
  // The selected row, or -1.
  int selectedRow() const;
  // Selects and shows a row; -1 selects none.
  void choose(int row);
  QString text(int row, int column) const;

 private:
  DeviceListModel model_;
};

}  // namespace pelnor
