#include "views/sheet_data.h"

#include <QPainter>
#include <algorithm>

#include "data/text.h"

namespace pelnor {

namespace {

constexpr double kThird = 100.0 / 3;
constexpr double kDayValueWidth = 14.666666666666666;
constexpr const char* kPagingHint = "【矢印キー[←]前頁,[→]次頁】";
constexpr int kSmallest = 300;  // a rectangle smaller than this shows nothing

QString q(const std::string& utf8) { return QString::fromStdString(utf8); }
QString number(const char* format, double value) { return q(formatText(format, value)); }
QString integer(long value) { return q(formatText("%ld", value)); }

void setEqualRows(CCellGrid& grid) {
  for (int r = 0; r < grid.rows(); ++r) grid.setRowHeight(r, 100.0 / grid.rows());
}

constexpr int kBodyToHeadingLimit = 2;  // on screen, the body's font to the heading's
const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};

// The year table's seven columns, the same in heading, body and totals.
void setYearColumns(CCellGrid& grid) { grid.setColumnWidths({9, 14, 15, 14, 16, 11, 21}); }

}  // namespace

void CSheetData::Build(const ContentSource& source, Period period, const DateTime& start) {
  period_ = period;
  start_ = start;
  const DeviceHistory& history = source.history;
  const int position = history.monthPosition(start);
  const MonthRecord* month = position >= 0 ? &history.monthAt(position) : nullptr;
  const CalendarFields f = start.fields();

  // The ratings of the displayed day (or the month's first day) as they were stored.
  const DeviceRecord* device = &history.device;
  if (month)
    device = &history.ratingsOf(month->days[period == Period::Day ? static_cast<std::size_t>(f.day - 1) : 0]);
  buildHeader(*device, source.pulseConstant);
  // The table's own device is the one loaded; the stored header shows the ratings.
  device_.setText(1, 0, integer(history.device.deviceId));
  device_.setText(1, 1, q(history.device.customerName));

  title_.setSize(1, 1);
  title_.setDrawLines(false);
  if (period == Period::Day) {
    titleText_ = q(formatText("日別電力使用実績表（ %d年%d月%d日分 ）", f.year, f.month, f.day));
    if (month) {
      buildDay(month->days[static_cast<std::size_t>(f.day - 1)]);
    } else {
      buildDay(DayRecord{});
    }
  } else if (period == Period::Year) {
    titleText_ = q(formatText("年別電力使用実績表（ %s ）", yearPeriodText(start).c_str()));
    buildYear(source.year ? *source.year : YearSummary{});
  } else {
    titleText_ = q(formatText("月別電力使用実績表（ %d年%d月分 ）", f.year, f.month));
    MonthRecord empty = MonthRecord::makeNew(start.firstOfMonth(), {});
    buildMonth(month ? *month : empty);
  }
}

void CSheetData::buildHeader(const DeviceRecord& d, int32_t pulseConstant) {
  device_.setSize(2, 3);
  device_.setColumnWidths({37, 63});
  setEqualRows(device_);
  device_.setText(0, 0, "機器ＩＤ");
  device_.setText(0, 1, "需要家名");

  vct_.setSize(4, 3);
  vct_.setColumnWidths({37, 21, 21, 21});
  setEqualRows(vct_);
  const char* labels[3][4] = {
      {"VCT諸元", "一次", "二次", "変成比"}, {"定格電圧[V]", "", "", ""}, {"定格電流[A]", "", "", ""}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) vct_.setText(c, r, labels[r][c]);
  }
  auto ratio = [](int32_t a, int32_t b) {
    return b != 0 ? number("%.0lf", static_cast<double>(a) / b) : QString();
  };
  vct_.setText(1, 1, integer(d.primaryVoltage));
  vct_.setText(2, 1, integer(d.secondaryVoltage));
  vct_.setText(3, 1, ratio(d.primaryVoltage, d.secondaryVoltage));
  vct_.setText(1, 2, integer(d.primaryCurrent));
  vct_.setText(2, 2, integer(d.secondaryCurrent));
  vct_.setText(3, 2, ratio(d.primaryCurrent, d.secondaryCurrent));

  whm_.setSize(2, 3);
  whm_.setColumnWidths({70, 30});
  setEqualRows(whm_);
  whm_.setText(0, 0, "WHM諸元");
  whm_.setText(0, 1, "ﾊﾟﾙｽ定数[ﾊﾟﾙｽ/kWh]");
  whm_.setText(1, 1, integer(pulseConstant));
}

void CSheetData::buildDay(const DayRecord& day) {
  const char* headings[] = {"時刻", "デマンド値[kW]", "使用電力量[kWH]", "最高温度[℃]"};
  heading_.setSize(8, 1);
  heading_.setColumnWidths(
      {6, kDayValueWidth, kDayValueWidth, kDayValueWidth, 6, kDayValueWidth, kDayValueWidth, kDayValueWidth});
  for (int c = 0; c < 8; ++c) heading_.setText(c, 0, headings[c % 4]);

  body_.setSize(8, kSlotsPerDay / 2);
  body_.setColumnWidths(
      {6, kDayValueWidth, kDayValueWidth, kDayValueWidth, 6, kDayValueWidth, kDayValueWidth, kDayValueWidth});
  setEqualRows(body_);
  const CalendarFields f = start_.fields();
  for (int k = 0; k < kSlotsPerDay; ++k) {
    const int row = k / 2;
    const int group = (k % 2) * 4;
    const int minutes = f.hour * 60 + f.minute + k * 30;
    body_.setText(group, row, q(formatText("%02d:%02d", minutes / 60 % 24, minutes % 60)));
    const SlotValue& slot = day.slots[static_cast<std::size_t>(k)];
    if (!slot.valid) continue;  // a missing value is an empty cell, never 0
    body_.setText(group + 1, row, number("%.0lf", slot.demandKw));
    body_.setText(group + 2, row, number("%.0lf", slot.energyKwh));
    if (slot.temperatureValid) body_.setText(group + 3, row, number("%.0lf", slot.temperature));
  }

  totalsHeading_.setSize(4, 1);
  totalsHeading_.setColumnWidths({6, kDayValueWidth, kDayValueWidth, kDayValueWidth});
  const char* totalsHeadings[] = {"合計", "デマンド値[kW]", "使用電力量[kWH]", "最高温度[℃]"};
  for (int c = 0; c < 4; ++c) totalsHeading_.setText(c, 0, totalsHeadings[c]);

  totals_.setSize(4, 4);
  totals_.setColumnWidths({6, kDayValueWidth, kDayValueWidth, kDayValueWidth});
  setEqualRows(totals_);
  const SlotStats& s = day.dayStats;
  const char* labels[] = {"累計", "最大", "最小", "平均"};
  const SlotValue* rows[] = {&s.sum, &s.max, &s.min, &s.avg};
  for (int r = 0; r < 4; ++r) {
    totals_.setText(0, r, labels[r]);
    const SlotValue& v = *rows[r];
    if (!v.valid) continue;
    if (r > 0) totals_.setText(1, r, number("%.0lf", v.demandKw));
    totals_.setText(2, r, number("%.0lf", v.energyKwh));
    if (r > 0 && v.temperatureValid) totals_.setText(3, r, number("%.0lf", v.temperature));
  }
}

void CSheetData::buildMonth(const MonthRecord& month) {
  const char* headings[] = {"日付", "曜日", "パルス数", "デマンド値[kW]", "使用電力量[kWH]", "最高温度[℃]"};
  heading_.setSize(6, 1);
  heading_.setColumnWidths({6, 4, 22.5, 22.5, 22.5, 22.5});
  for (int c = 0; c < 6; ++c) heading_.setText(c, 0, headings[c]);

  const CalendarFields f = start_.fields();
  const int days = daysInMonth(f.year, f.month);
  body_.setSize(6, days);
  body_.setColumnWidths({6, 4, 22.5, 22.5, 22.5, 22.5});
  setEqualRows(body_);
  for (int d = 0; d < days; ++d) {
    const DateTime date = DateTime::fromFields(f.year, f.month, d + 1);
    body_.setText(0, d, q(formatText("%02d/%02d", f.month, d + 1)));
    if (date.isValid()) body_.setText(1, d, kWeekdays[date.fields().dayOfWeek]);
    const SlotStats& s = month.days[static_cast<std::size_t>(d)].dayStats;
    if (s.sum.valid) {
      body_.setText(2, d, integer(s.sum.pulses));
      body_.setText(4, d, number("%.0lf", s.sum.energyKwh));
    }
    if (s.max.valid) {
      body_.setText(3, d, number("%.0lf", s.max.demandKw));
      if (s.max.temperatureValid) body_.setText(5, d, number("%.0lf", s.max.temperature));
    }
  }

  totalsHeading_.setSize(0, 0);
  totals_.setSize(6, 4);
  totals_.setColumnWidths({10, 22.5, 22.5, 22.5, 22.5, 22.5});
  setEqualRows(totals_);
  const char* labels[] = {"累計", "最大", "最小", "平均"};
  for (int r = 0; r < 4; ++r) {
    totals_.setText(0, r, labels[r]);
    auto pick = [r](const SlotStats& s) -> const SlotValue& {
      const SlotValue* rows[] = {&s.sum, &s.max, &s.min, &s.avg};
      return *rows[r];
    };
    if (pick(month.pulseStats).valid) totals_.setText(1, r, integer(pick(month.pulseStats).pulses));
    if (r > 0 && pick(month.demandStats).valid)
      totals_.setText(2, r, number("%.0lf", pick(month.demandStats).demandKw));
    if (pick(month.energyStats).valid)
      totals_.setText(3, r, number("%.0lf", pick(month.energyStats).energyKwh));
    const SlotValue& t = pick(month.temperatureStats);
    if (r > 0 && t.valid && t.temperatureValid) totals_.setText(4, r, number("%.0lf", t.temperature));
  }
}

void CSheetData::buildYear(const YearSummary& year) {
  const char* headings[] = {
      "年月", "最高デマンド[kW]", "発生日時", "最低デマンド[kW]", "使用電力量[kWH]", "最高温度[℃]", "備考"};
  heading_.setSize(7, 1);
  setYearColumns(heading_);
  for (int c = 0; c < 7; ++c) heading_.setText(c, 0, headings[c]);

  body_.setSize(7, kMonthsPerYear);
  setYearColumns(body_);
  setEqualRows(body_);
  for (int i = 0; i < kMonthsPerYear; ++i) {
    const MonthSummary& m = year.months[static_cast<std::size_t>(i)];
    const CalendarFields f = m.month.fields();
    body_.setText(0, i, q(formatText("%04d/%02d", f.year, f.month)));
    body_.setText(6, i, q(monthRemark(year, i)));
    if (!m.hasDemand) continue;  // a month without readings is an empty row, never 0
    body_.setText(1, i, number("%.0lf", m.peakKw));
    body_.setText(2, i, q(peakTimeText(m)));
    body_.setText(3, i, number("%.0lf", m.lowestDailyMaxKw));
    body_.setText(4, i, number("%.0lf", m.energyKwh));
    if (m.hasTemperature) body_.setText(5, i, number("%.0lf", m.maxTemperature));
  }

  totalsHeading_.setSize(0, 0);
  totals_.setSize(7, 4);
  setYearColumns(totals_);
  setEqualRows(totals_);
  const YearTotals t = yearTotals(year);
  struct Row {
    const char* label;
    double YearColumn::*value;
  };
  const Row rows[] = {{"最大", &YearColumn::max},
                      {"最小", &YearColumn::min},
                      {"合計", &YearColumn::sum},
                      {"平均", &YearColumn::avg}};
  for (int r = 0; r < 4; ++r) {
    totals_.setText(0, r, rows[r].label);
    const bool sum = rows[r].value == &YearColumn::sum;  // only energy adds up
    auto put = [&](int column, const YearColumn& c, bool shown) {
      if (c.valid && shown) totals_.setText(column, r, number("%.0lf", c.*rows[r].value));
    };
    put(1, t.peak, !sum);
    put(3, t.lowestDailyMax, !sum);
    put(4, t.energy, true);
    put(5, t.temperature, !sum);
  }
}

void CSheetData::DrawHeader(QPainter& painter, const QRect& header, const DrawMetrics& m) {
  title_.setText(0, 0, m.printing ? titleText_ : titleText_ + kPagingHint);
  QPoint none;
  title_.layout(QRect(header.left(), header.top(), header.width(), m.y(20, 80)), none);
  title_.fitFont(painter, 0, 0, "0123456789");
  title_.copyFontToAll(0);

  const int top = header.top() + m.y(20, 80) + m.y(10, 10);
  const int gap = m.x(10, 10);
  const double u = (header.width() - 2.0 * gap) * 0.1;
  const int deviceRight = header.left() + DrawMetrics::roundHalfUp(3 * u);
  const int vctLeft = deviceRight + gap;
  const int vctRight = vctLeft + DrawMetrics::roundHalfUp(4 * u);
  const int whmLeft = vctRight + gap;
  const int whmRight = std::min(header.right(), whmLeft + DrawMetrics::roundHalfUp(3 * u));
  device_.layout(QRect(QPoint(header.left(), top), QPoint(deviceRight, header.bottom())), none);
  vct_.layout(QRect(QPoint(vctLeft, top), QPoint(vctRight, header.bottom())), none);
  whm_.layout(QRect(QPoint(whmLeft, top), QPoint(whmRight, header.bottom())), none);
  device_.fitFont(painter, 0, 0, "123456789012");
  device_.fitFont(painter, 1, 0, "1234567890123456789");
  vct_.fitFont(painter, 0, 0, "12345678901");
  vct_.copyFontToAll(0);
  whm_.fitFont(painter, 0, 0, "123456789012345678");
  whm_.copyFontToAll(0);

  for (CCellGrid* grid : {&title_, &device_, &vct_, &whm_}) {
    grid->setElideOverflow(!m.printing);
    grid->paint(painter, m.debugMode);
  }
}

bool CSheetData::Draw(QPainter& painter, const QRect& area, const DrawMetrics& m, QPoint minBody,
                      QPoint& scroll, QPoint& overflow) {
  overflow = QPoint(0, 0);
  if (!built() || area.width() < kSmallest || area.height() < kSmallest) return false;
  QRect rect = m.printing ? area.adjusted(m.x(0, 50) + m.x(0, 100), m.y(0, 50), -m.x(0, 50), -m.y(0, 50))
                          : area.adjusted(3, 3, -3, -3);

  const QRect header(rect.left(), rect.top(), rect.width(), m.y(80, 230));
  DrawHeader(painter, header, m);

  const bool day = period_ == Period::Day;
  const bool year = period_ == Period::Year;
  QPoint none;
  const int headingTop = header.bottom() + m.y(5, 10);
  heading_.layout(QRect(rect.left(), headingTop, rect.width(), m.y(18, 70)), none);
  if (year) {
    heading_.fitFont(painter, 1, 0, "最高デマンド[kW]");
    heading_.copyFontToAll(1);
  } else {
    heading_.fitFont(painter, 2, 0, "012345678901234");
    heading_.copyFontToAll(2);
  }
  heading_.fitFont(painter, 0, 0, "日付");
  if (day) heading_.fitFont(painter, 4, 0, "日付");

  const int bodyTop = heading_.rect().bottom() + 1;
  int bodyBottom = rect.bottom() - m.y(70, 200);
  if (day) bodyBottom -= m.y(23, 100);
  body_.setMinimumSize(minBody.x(), minBody.y());
  body_.layout(QRect(QPoint(rect.left(), bodyTop), QPoint(rect.right(), bodyBottom)), scroll);
  overflow = body_.overflow();
  body_.fitFont(painter, 2, 0, "0123456");
  body_.copyFontToAll(2);
  if (day) {
    body_.fitFont(painter, 0, 0, " 99:99");
    body_.copyFont(0, 4);
  } else if (year) {
    body_.fitFont(painter, 0, 0, "9999/99 ");
    body_.fitFont(painter, 2, 0, "99/99 99:99 ");
    body_.fitFont(painter, 6, 0, "年最大・契約超過 ");
  } else {
    body_.fitFont(painter, 0, 0, "99/99  ");
    body_.fitFont(painter, 1, 0, "月   ");
  }
  // On a large screen the tall body rows would fit digits far larger than the heading's:
  // at most twice its size, which a window of normal size never reaches.
  if (!m.printing) {
    QFont limit = heading_.font(year ? 1 : 2);
    limit.setPixelSize(limit.pixelSize() * kBodyToHeadingLimit);
    body_.capFonts(limit);
  }

  int totalsTop = body_.rect().bottom() + 1;
  if (day) {
    totalsHeading_.layout(QRect(rect.left(), body_.rect().bottom() + m.y(5, 30), rect.width(), m.y(18, 50)),
                          none);
    totalsHeading_.fitFont(painter, 2, 0, "0123456789012345");
    totalsHeading_.copyFontToAll(2);
    totalsHeading_.fitFont(painter, 0, 0, "日付");
    totalsTop = totalsHeading_.rect().bottom() + 1;
  }
  totals_.layout(QRect(QPoint(rect.left(), totalsTop), QPoint(rect.right(), rect.bottom())), none);
  totals_.fitFont(painter, 2, 0, "0123456");
  totals_.copyFontToAll(2);
  totals_.fitFont(painter, 0, 0, "集計");

  heading_.paint(painter, m.debugMode);
  body_.paint(painter, m.debugMode);
  if (day) totalsHeading_.paint(painter, m.debugMode);
  totals_.paint(painter, m.debugMode);
  return overflow.y() > 0 || overflow.x() > 0;
}

}  // namespace pelnor
