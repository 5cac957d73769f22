// The past-data dialog as a user meets it.
#include <QLabel>
#include <QLineEdit>

#include "dialogs/cng_data.h"
#include "gui_fixture.h"
#include "ui/device_list.h"

namespace pelnor {
namespace {

using namespace test;

TEST_F(GuiTest, PastDataDialogShowsTheLocationDevicesAndTheMonthsWithData) {
  storeMonth(2024, 1, {1});
  storeMonth(2024, 3, {1});
  app.registry.load(app.location.root(), app.storage);
  app.pastMonth = DateTime::fromFields(2024, 7, 15, 10, 0);
  CCngData dialog(app);
  EXPECT_EQ(dialog.findChild<QLineEdit*>(kPastDataLocationName)->text(), "自分 （このソフトが管理している場所）");
  auto* devices = dialog.findChild<DeviceList*>(kDeviceListName);
  ASSERT_EQ(devices->model()->rowCount(), 1);
  EXPECT_EQ(devices->text(0, 0), "12");
  EXPECT_EQ(devices->text(0, 1), "山田");
  EXPECT_EQ(devices->text(0, 2), "5");
  for (int m = 1; m <= 12; ++m) {
    auto* label = dialog.findChild<QLabel*>(pastDataMonthLabelName(m));
    EXPECT_EQ(label->isEnabled(), m == 1 || m == 3) << m;
  }
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.month(), DateTime::fromFields(2024, 7, 1));
  EXPECT_EQ(dialog.devicePosition(), 0);
}

}  // namespace
}  // namespace pelnor
