#include "data/report_defaults.h"

namespace pelnor {

namespace {

// The parts of a report that carry over from month to month, besides the office.
void copyContractData(const ReportInfo& from, ReportInfo& to) {
  to.contractNumber = from.contractNumber;
  to.customerName = from.customerName;
  to.businessType = from.businessType;
  to.totalTransformerKva = from.totalTransformerKva;
  to.singlePhaseKva = from.singlePhaseKva;
  to.threePhaseKva = from.threePhaseKva;
  to.demandKw = from.demandKw;
}

}  // namespace

void fillReportDefaults(ReportInfo& report, const DeviceRecord& registered, const ReportInfo& registryReport,
                        const DateTime& today, std::optional<double> yearPeakKw) {
  if (report.entered != 0) return;
  const CalendarFields f = today.fields();
  report.year = f.year;
  report.month = f.month;
  report.day = f.day;
  const ReportInfo& last = registered.report;
  if (last.entered != 0) {
    report.office = registryReport.entered != 0 ? registryReport.office : last.office;
    copyContractData(last, report);
  } else {
    report.customerName = registered.customerName;
  }
  if (yearPeakKw) report.demandKw = *yearPeakKw;
}

void rememberEnteredReport(const ReportInfo& entered, int32_t deviceId, DeviceRegistry& registry) {
  registry.report.office = entered.office;
  registry.report.entered = 1;
  DeviceRecord device;
  if (!registry.find(deviceId, device)) return;
  copyContractData(entered, device.report);
  device.report.entered = 1;
  registry.put(device);
}

}  // namespace pelnor
