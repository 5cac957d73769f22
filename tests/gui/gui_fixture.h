// A data root with device 12 and stored months, and the window's objects over it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "app/app_context.h"
#include "app/main_frame.h"
#include "app/pelnor_doc.h"
#include "data/month_file.h"
#include "support/temp_dir.h"
#include "ui/period_bar.h"

namespace pelnor::test {

class GuiTest : public ::testing::Test {
 protected:
  GuiTest() {
    DeviceRecord device = DeviceRecord::makeNew({});
    device.deviceId = 12;
    device.customerName = "山田";
    DeviceRegistry registry;
    registry.put(device);
    registry.save(dir.path(), app.storage);
    app.storage.syncToDisk = false;
  }

  // A stored month of device 12 with pulses at 10:00 on each given day.
  void storeMonth(int year, int month, std::initializer_list<int> days, int32_t pulses = 1000) {
    MonthRecord record = MonthRecord::makeNew(DateTime::fromFields(year, month, 1), {});
    DeviceRecord device;
    app.registry.find(12, device);
    for (int d : days) {
      DayRecord& day = record.days[static_cast<std::size_t>(d - 1)];
      day.header.deviceId = 12;
      addReading(day, Reading{10, 0, pulses, 20});
    }
    DataLocation::createFolderPath(app.location.deviceFolder(12));
    ASSERT_TRUE(writeMonthFile(app.location.monthFile(12, record.month), record, false, app.storage));
  }

  // The window as start-up makes it, shown offscreen.
  void open() {
    frame = std::make_unique<CMainFrame>(app, doc);
    doc.firstInit();
    frame->show();
    QApplication::processEvents();
  }

  TempDir dir;
  AppContext app{dir.path()};
  CPelnorDoc doc{app};
  std::unique_ptr<CMainFrame> frame;
};

}  // namespace pelnor::test
