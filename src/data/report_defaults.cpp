#include "data/report_defaults.h"

namespace pelnor {

void fillReportDefaults(ReportInfo& report, const DeviceRecord& registered, const ReportInfo& registryReport,
                        const DateTime& today) {
  if (report.entered != 0) return;
  const CalendarFields f = today.fields();
  report.year = f.year;
  report.month = f.month;
  report.day = f.day;
  const ReportInfo& last = registered.report;
  if (last.entered != 0) {
    report.office = registryReport.entered != 0 ? registryReport.office : last.office;
    report.contractNumber = last.contractNumber;
    report.customerName = last.customerName;
    report.businessType = last.businessType;
    report.totalTransformerKva = last.totalTransformerKva;
    report.singlePhaseKva = last.singlePhaseKva;
    report.threePhaseKva = last.threePhaseKva;
    report.demandKw = last.demandKw;
  } else {
    report.customerName = registered.customerName;
  }
}

}  // namespace pelnor
