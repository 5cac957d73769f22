// The list of registered devices that the past-data and device settings dialogs share:
// ID, customer name and the VCT primary current of each device, in ID order.
#pragma once

#include <QTableWidget>

#include "data/device_registry.h"

namespace pelnor {

QTableWidget* makeDeviceList(QWidget* parent);
void fillDeviceList(QTableWidget& list, const DeviceRegistry& registry);

}  // namespace pelnor
