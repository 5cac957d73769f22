#include "ui/device_list.h"

#include <QHeaderView>

#include "data/text.h"

namespace pelnor {

QTableWidget* makeDeviceList(QWidget* parent) {
  auto* list = new QTableWidget(0, 3, parent);
  list->setObjectName("id1007");
  list->setHorizontalHeaderLabels({"ＩＤ", "需要家名", "VCT(一次電流[A])"});
  list->setColumnWidth(0, 100);
  list->setColumnWidth(1, 230);
  list->setColumnWidth(2, 150);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->verticalHeader()->hide();
  list->horizontalHeader()->setSectionsClickable(false);
  list->setShowGrid(true);
  list->setMinimumSize(500, 200);
  return list;
}

void fillDeviceList(QTableWidget& list, const DeviceRegistry& registry) {
  list.setRowCount(registry.count());
  for (int i = 0; i < registry.count(); ++i) {
    const DeviceRecord& d = registry.deviceAt(i);
    list.setItem(
        i, 0, new QTableWidgetItem(QString::fromStdString(formatText("%ld", static_cast<long>(d.deviceId)))));
    list.setItem(i, 1, new QTableWidgetItem(QString::fromStdString(d.customerName)));
    list.setItem(i, 2,
                 new QTableWidgetItem(
                     QString::fromStdString(formatText("%d", VctTable::currentForMultiplier(d.multiplier)))));
  }
}

}  // namespace pelnor
