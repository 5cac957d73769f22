#include "data/text_export.h"

#include <cmath>
#include <stdexcept>

#include "data/clamp_to_integer.h"
#include "data/export_file.h"
#include "data/system.h"
#include "data/text.h"

namespace pelnor {

namespace {

constexpr const char* kCsvModule = ".\\D_CsvOut";
constexpr int kCsvLine = 282;
constexpr const char* kRawModule = ".\\D_CsvOutVal";
constexpr int kRawLine = 85;
const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};

const MonthRecord& loadedMonth(const DeviceHistory& history, const DateTime& date) {
  const int position = history.monthPosition(date);
  if (position < 0) throw std::invalid_argument("the month is not loaded");
  return history.monthAt(position);
}

// A value rounded to a whole number; a value that rounds to zero from below is "0", not "-0".
std::string number(double value) {
  std::string text = formatText("%.0lf", value);
  if (text == "-0") text = "0";
  return ", " + text;
}

// A text field as spreadsheets read it: in double quotes, inner quotes doubled, when it holds
// a comma, a double quote or a line end; otherwise as it is. Works on UTF-8 and on cp932
// bytes alike: no trail byte of a cp932 character is below 0x40.
std::string csvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

// cp932 with CR LF line ends, as the exports are written.
std::string cp932Lines(std::string_view utf8) {
  std::string bytes;
  for (char c : utf8ToCp932(utf8)) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  return bytes;
}

// The CSV around the customer name: the name stands in the file with the bytes it is stored
// with (cp932 has two codes for some characters, and a way through UTF-8 would pick one).
struct CsvParts {
  std::string before;  // UTF-8, up to "需要家名, "
  std::string after;   // UTF-8, from the line end after the name
};

void dayTable(std::string& out, const DayRecord& day, const DateTime& start) {
  out += "時刻, デマンド値[kW], 使用電力量[kWH], 最高温度[℃]\n";
  const CalendarFields f = start.fields();
  for (int k = 0; k < kSlotsPerDay; ++k) {
    const int minutes = f.hour * 60 + f.minute + k * 30;
    out += formatText("%02d:%02d", minutes / 60 % 24, minutes % 60);
    const SlotValue& slot = day.slots[static_cast<std::size_t>(k)];
    if (slot.valid) {
      out += number(slot.demandKw) + number(slot.energyKwh) +
             (slot.temperatureValid ? number(slot.temperature) : ", ");
    } else {
      out += ", , ,";
    }
    out += '\n';
  }
  const SlotStats& s = day.dayStats;
  const std::pair<const char*, const SlotValue*> rows[] = {
      {"合計", &s.sum}, {"最大", &s.max}, {"最小", &s.min}, {"平均", &s.avg}};
  for (const auto& [label, v] : rows)
    out += label + number(v->demandKw) + number(v->energyKwh) + number(v->temperature) + "\n";
}

void monthTable(std::string& out, const MonthRecord& month, const DateTime& first) {
  out += "日付, 曜日, パルス数, デマンド値[kW], 使用電力量[kWH], 最高温度[℃]\n";
  const CalendarFields f = first.fields();
  for (int d = 1; d <= daysInMonth(f.year, f.month); ++d) {
    const DateTime date = DateTime::fromFields(f.year, f.month, d);
    const SlotStats& s = month.days[static_cast<std::size_t>(d - 1)].dayStats;
    out += formatText("%02d/%02d, %s", f.month, d, kWeekdays[date.fields().dayOfWeek]);
    out += s.sum.valid ? formatText(", %ld", static_cast<long>(s.sum.pulses)) : ", ";
    out += s.max.valid ? number(s.max.demandKw) : ", ";
    out += s.sum.valid ? number(s.sum.energyKwh) : ", ";
    out += s.max.valid && s.max.temperatureValid ? number(s.max.temperature) : ", ";
    out += '\n';
  }
  const SlotValue SlotStats::*rows[] = {&SlotStats::sum, &SlotStats::max, &SlotStats::min, &SlotStats::avg};
  const char* labels[] = {"合計, ", "最大, ", "最小, ", "平均, "};
  for (int r = 0; r < 4; ++r) {
    out += labels[r];
    out += formatText(", %ld", static_cast<long>((month.pulseStats.*rows[r]).pulses));
    out += number((month.demandStats.*rows[r]).demandKw) + number((month.energyStats.*rows[r]).energyKwh) +
           number((month.temperatureStats.*rows[r]).temperature) + "\n";
  }
}

// A number of a year column, or an empty field.
std::string yearNumber(const YearColumn& column, double YearColumn::*value, bool shown) {
  return column.valid && shown ? number(column.*value) : ", ";
}

void yearTable(std::string& out, const YearSummary& year) {
  out += "年月, 最高デマンド[kW], 発生日時, 最低デマンド[kW], 使用電力量[kWH], 最高温度[℃], 備考\n";
  for (int i = 0; i < kMonthsPerYear; ++i) {
    const MonthSummary& m = year.months[static_cast<std::size_t>(i)];
    out += formatText("%04d/%02d", m.month.year(), m.month.month());
    if (m.hasDemand) {
      out += number(m.peakKw) + ", " + peakTimeText(m) + number(m.lowestDailyMaxKw) + number(m.energyKwh) +
             (m.hasTemperature ? number(m.maxTemperature) : ", ");
    } else {
      out += ", , , , , ";
    }
    out += ", " + monthRemark(year, i) + "\n";
  }
  const YearTotals t = yearTotals(year);
  const std::pair<const char*, double YearColumn::*> rows[] = {{"最大", &YearColumn::max},
                                                               {"最小", &YearColumn::min},
                                                               {"合計", &YearColumn::sum},
                                                               {"平均", &YearColumn::avg}};
  for (const auto& [label, value] : rows) {
    const bool notSum = value != &YearColumn::sum;  // only energy adds up
    out += label + yearNumber(t.peak, value, notSum) + ", " + yearNumber(t.lowestDailyMax, value, notSum) +
           yearNumber(t.energy, value, true) + yearNumber(t.temperature, value, notSum) + ", \n";
  }
}

// Writes the bytes; reports as the export's module says.
bool writeExport(const std::filesystem::path& path, const std::function<std::string()>& bytes,
                 const StorageContext& context, const char* module, int line) {
  try {
    saveExportFile(path, bytes(), context);
    return true;
  } catch (const CTryErr& e) {
    if (context.log) context.log(e.text());
    context.reporter.info(e.text());
  } catch (...) {
    reportCurrentException(context.reporter, module, line);
  }
  return false;
}

CsvParts csvParts(const DeviceHistory& history, const CsvRequest& request) {
  const bool day = request.period == Period::Day;
  const MonthRecord& month = loadedMonth(history, request.date);
  const CalendarFields f = request.date.fields();
  // The ratings as stored with the day (a month: its first day).
  const DeviceRecord& header = history.ratingsOf(month.days[day ? static_cast<std::size_t>(f.day - 1) : 0]);
  CsvParts parts;
  std::string& before = parts.before;
  if (day) {
    before = formatText("日別電力使用実績表（ %d年%d月%d日分 ）\n", f.year, f.month, f.day);
  } else if (request.period == Period::Year) {
    before = formatText("年別電力使用実績表（ %s ）\n", yearPeriodText(request.date).c_str());
  } else {
    before = formatText("月別電力使用実績表（ %d年%d月分 ）\n", f.year, f.month);
  }
  before += formatText("機器ＩＤ, %ld\n", static_cast<long>(history.device.deviceId));
  before += "需要家名, ";

  auto ratio = [](int32_t a, int32_t b) {
    return b != 0 ? formatText("%.0lf", static_cast<double>(a) / b) : std::string();
  };
  std::string& out = parts.after;
  out = "\n";
  out += formatText("VCT(一次電流[A]), %ld\n",
                    static_cast<long>(VctTable::currentForMultiplier(header.multiplier)));
  out += formatText("一次定格電圧[V], %ld\n", static_cast<long>(header.primaryVoltage));
  out += formatText("一次定格電流[A], %ld\n", static_cast<long>(header.primaryCurrent));
  out += formatText("二次定格電圧[V], %ld\n", static_cast<long>(header.secondaryVoltage));
  out += formatText("二次定格電流[A], %ld\n", static_cast<long>(header.secondaryCurrent));
  out += "電圧変成比, " + ratio(header.primaryVoltage, header.secondaryVoltage) + "\n";
  out += "電流変成比, " + ratio(header.primaryCurrent, header.secondaryCurrent) + "\n";
  out += formatText("ﾊﾟﾙｽ定数[ﾊﾟﾙｽ/kWh], %ld\n", static_cast<long>(request.pulseConstant));
  if (day) {
    dayTable(out, month.days[static_cast<std::size_t>(f.day - 1)], request.date.dateOnly());
    return parts;
  }
  if (request.period == Period::Year) {
    if (!request.year) throw std::invalid_argument("a year's CSV needs its months");
    yearTable(out, *request.year);
    return parts;
  }
  const DateTime first = request.date.firstOfMonth();
  monthTable(out, month, first);
  if (request.withDays) {
    for (int d = 1; d <= daysInMonth(f.year, f.month); ++d) {
      out += formatText("%d 日,---------------------------------------------------------\n", d);
      dayTable(out, month.days[static_cast<std::size_t>(d - 1)], first);
    }
  }
  return parts;
}

}  // namespace

std::string csvText(const DeviceHistory& history, const CsvRequest& request) {
  const CsvParts parts = csvParts(history, request);
  return parts.before + csvField(history.device.customerName.str()) + parts.after;
}

std::string csvBytes(const DeviceHistory& history, const CsvRequest& request) {
  const CsvParts parts = csvParts(history, request);
  return cp932Lines(parts.before) + csvField(history.device.customerName.cp932()) + cp932Lines(parts.after);
}

bool writeCsv(const std::filesystem::path& path, const DeviceHistory& history, const CsvRequest& request,
              const StorageContext& context) {
  return writeExport(
      path, [&] { return csvBytes(history, request); }, context, kCsvModule, kCsvLine);
}

std::string csvFileName(int32_t deviceId, Period period, const DateTime& date) {
  const CalendarFields f = date.fields();
  if (period == Period::Day)
    return formatText("日別_%05d_%04d_%02d_%02d.CSV", deviceId, f.year, f.month, f.day);
  return formatText("%s_%05d_%04d_%02d.CSV", periodName(period), deviceId, f.year, f.month);
}

std::string rawText(const DeviceHistory& history, const DateTime& date) {
  const MonthRecord& month = loadedMonth(history, date);
  const CalendarFields f = date.fields();
  std::string out = formatText("%05d\n", history.device.deviceId);
  for (int d = 0; d < kDaysPerMonth; ++d) {
    for (const Reading& r : month.days[static_cast<std::size_t>(d)].readings) {
      out +=
          formatText("%02d/%02d/%02d %02d:%02d,%04d, %02d\n", f.year - 2000, f.month, d + 1, r.hour, r.minute,
                     r.pulseCount, std::isfinite(r.temperature) ? clampToInteger<int>(r.temperature) : 0);
    }
  }
  return out;
}

std::string rawBytes(const DeviceHistory& history, const DateTime& date) {
  return cp932Lines(rawText(history, date));
}

bool writeRawText(const std::filesystem::path& path, const DeviceHistory& history, const DateTime& date,
                  const StorageContext& context) {
  return writeExport(
      path, [&] { return rawBytes(history, date); }, context, kRawModule, kRawLine);
}

std::string rawFileName(const DateTime& date) {
  return formatText("DAT_%04d_%02d.TXT", date.year(), date.month());
}

}  // namespace pelnor
