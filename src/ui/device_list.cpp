#include "ui/device_list.h"

#include <QHeaderView>

#include "data/text.h"

namespace pelnor {

int DeviceListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : registry_.count();
}

int DeviceListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant DeviceListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= registry_.count()) return {};
  const DeviceRecord& d = registry_.deviceAt(index.row());
  switch (index.column()) {
    case 0:
      return QString::fromStdString(formatText("%ld", static_cast<long>(d.deviceId)));
    case 1:
      return QString::fromStdString(d.customerName);
    default:
      return QString::fromStdString(formatText("%d", VctTable::currentForMultiplier(d.multiplier)));
  }
}

QVariant DeviceListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  static const char* const kHeadings[] = {"ＩＤ", "需要家名", "VCT(一次電流[A])"};
  return section >= 0 && section < 3 ? QString(kHeadings[section]) : QVariant();
}

void DeviceListModel::refresh() {
  beginResetModel();
  endResetModel();
}

DeviceList::DeviceList(const DeviceRegistry& registry, QWidget* parent)
    : QTableView(parent), model_(registry) {
  setObjectName(kDeviceListName);
  setModel(&model_);
  setColumnWidth(0, 100);
  setColumnWidth(1, 230);
  setColumnWidth(2, 150);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Tab leaves the list for the next input; the arrow keys move within it.
  setTabKeyNavigation(false);
  verticalHeader()->hide();
  // Every row is as high as the font: no row is measured for its height.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionsClickable(false);
  setShowGrid(true);
  setMinimumSize(500, 200);
}

void DeviceList::refresh() { model_.refresh(); }

int DeviceList::selectedRow() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

void DeviceList::choose(int row) {
  if (row < 0 || row >= model_.rowCount()) {
    clearSelection();
    setCurrentIndex(QModelIndex());
    return;
  }
  setCurrentIndex(model_.index(row, 0));
  selectRow(row);
  scrollTo(model_.index(row, 0));
}

QString DeviceList::text(int row, int column) const { return model_.index(row, column).data().toString(); }

}  // namespace pelnor
