#include "data/report_defaults.h"

#include <gtest/gtest.h>

namespace pelnor {
namespace {

TEST(ReportDefaults, ANeverEnteredReportTakesTodayAndTheLastEntryOrTheCustomerName) {
  const DateTime today = DateTime::fromFields(2026, 12, 10, 9, 30);
  DeviceRecord device;
  device.customerName = "山田工業";
  ReportInfo registry;

  ReportInfo fresh;
  fillReportDefaults(fresh, device, registry, today);
  EXPECT_EQ(fresh.entered, 0);
  EXPECT_EQ((std::array{fresh.year, fresh.month, fresh.day}), (std::array{2026, 12, 10}));
  EXPECT_EQ(fresh.customerName, "山田工業");
  EXPECT_EQ(fresh.contractNumber, "");

  device.report.entered = 1;
  device.report.contractNumber = "K-1";
  device.report.customerName = "山田工業株式会社";
  device.report.totalTransformerKva = 1500;
  registry.entered = 1;
  registry.office = "本社";
  ReportInfo again;
  fillReportDefaults(again, device, registry, today);
  EXPECT_EQ(again.contractNumber, "K-1");
  EXPECT_EQ(again.customerName, "山田工業株式会社");
  EXPECT_EQ(again.totalTransformerKva, 1500);
  EXPECT_EQ(again.office, "本社");
  EXPECT_EQ(again.entered, 0);

  ReportInfo entered;
  entered.entered = 1;
  entered.year = 2020;
  entered.notes = "残す";
  fillReportDefaults(entered, device, registry, today);
  EXPECT_EQ(entered.year, 2020);
  EXPECT_EQ(entered.notes, "残す");
  EXPECT_EQ(entered.contractNumber, "");
}

}  // namespace
}  // namespace pelnor
