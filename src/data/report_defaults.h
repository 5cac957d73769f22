// What a month's report shows before anyone entered it.
#pragma once

#include <optional>

#include "data/date_time.h"
#include "data/device_record.h"
#include "data/device_registry.h"

namespace pelnor {

// A report never entered takes today's date and, when the device's registered report was
// entered, its contract data and figures with the office of the registry's report (a report
// entry keeps the office there, for every device); otherwise only the device's customer
// name. The 12-month maximum demand is the one the stored readings give (yearPeakKw) when
// any month of the twelve holds readings. The entered flag stays 0. An entered report is
// left as it is.
void fillReportDefaults(ReportInfo& report, const DeviceRecord& registered, const ReportInfo& registryReport,
                        const DateTime& today, std::optional<double> yearPeakKw = std::nullopt);

// A report entered for a month becomes the defaults of the months after it: its office goes
// into the registry's report, its contract data and figures into the device's registered
// report (when the device is registered).
void rememberEnteredReport(const ReportInfo& entered, int32_t deviceId, DeviceRegistry& registry);

}  // namespace pelnor
