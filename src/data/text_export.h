// The two text exports: the aggregated values of a day or a month as CSV, and the raw
// readings of a month in the device's own line format. Both are cp932 with CR LF.
#pragma once

#include <filesystem>
#include <string>

#include "data/device_history.h"
#include "data/period.h"
#include "data/year_summary.h"

namespace pelnor {

struct CsvRequest {
  Period period = Period::Day;  // a year is the twelve months that end with the month
  DateTime date;
  bool withDays = false;  // a month: every day's table after the month's
  int32_t pulseConstant = 50000;
  const YearSummary* year = nullptr;  // the year's months (Period::Year)
};

// The file's text (UTF-8, LF line ends). The month of the date must be loaded. A customer
// name with a comma, a double quote or a line end is quoted as spreadsheets read it.
std::string csvText(const DeviceHistory& history, const CsvRequest& request);
// The file's bytes: that text in cp932 with CR LF line ends, the customer name with the very
// bytes it is stored with.
std::string csvBytes(const DeviceHistory& history, const CsvRequest& request);
// Writes them; failures are reported through the context (and an open failure also goes to
// the application log) and return false.
bool writeCsv(const std::filesystem::path& path, const DeviceHistory& history, const CsvRequest& request,
              const StorageContext& context);
// "日別_%05d_%04d_%02d_%02d.CSV", "月別_%05d_%04d_%02d.CSV" or "年別_%05d_%04d_%02d.CSV".
std::string csvFileName(int32_t deviceId, Period period, const DateTime& date);

// The readings of the month of date, one line each, after the device ID line.
std::string rawText(const DeviceHistory& history, const DateTime& date);
// The file's bytes: that text in cp932 with CR LF line ends.
std::string rawBytes(const DeviceHistory& history, const DateTime& date);
bool writeRawText(const std::filesystem::path& path, const DeviceHistory& history, const DateTime& date,
                  const StorageContext& context);
// "DAT_%04d_%02d.TXT".
std::string rawFileName(const DateTime& date);

}  // namespace pelnor
