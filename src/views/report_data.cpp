#include "views/report_data.h"

#include <QPainter>
#include <stdexcept>

#include "data/aggregation.h"
#include "data/clamp_to_integer.h"
#include "data/text.h"
#include "views/fonts.h"

namespace pelnor {

namespace {

QString q(const std::string& utf8) { return QString::fromStdString(utf8); }
QString value(const SlotValue& v, double SlotValue::*column) {
  return v.valid ? q(formatText("%.0lf", v.*column)) : QString();
}

const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
const AxisScale kTemperatureScale{7, -10, 10};
constexpr int kSmallest = 299;

void single(CCellGrid& grid, const QString& text) {
  grid.setSize(1, 1);
  grid.setText(0, 0, text);
}

void table(CCellGrid& grid, std::initializer_list<std::pair<const char*, QString>> rows) {
  grid.setSize(2, static_cast<int>(rows.size()));
  grid.setColumnWidths({65, 35});
  int r = 0;
  for (const auto& [label, text] : rows) {
    grid.setText(0, r, label);
    grid.setText(1, r++, text);
  }
}

QString dayChartTitle(const DateTime& date, bool found, const char* which) {
  if (!found) return q(formatText("--日 %sﾃﾞﾏﾝﾄﾞ記録日の日負荷曲線", which));
  const CalendarFields f = date.fields();
  return q(formatText("%d日(%s) %sﾃﾞﾏﾝﾄﾞ記録日の日負荷曲線", f.day, kWeekdays[f.dayOfWeek], which));
}

}  // namespace

CReportData::DayCurve CReportData::curveOf(const MonthRecord& month, int day) const {
  DayCurve curve;
  const CalendarFields f = start_.fields();
  curve.date = day > 0 ? DateTime::fromFields(f.year, f.month, day) : start_.firstOfMonth();
  for (int s = 0; s < kSlotsPerDay; ++s) {
    if (day <= 0) {
      curve.demand.push_back({});
      curve.temperature.push_back({});
      continue;
    }
    const SlotValue& slot = month.days[static_cast<std::size_t>(day - 1)].slots[static_cast<std::size_t>(s)];
    curve.demand.push_back({slot.valid != 0, slot.demandKw});
    curve.temperature.push_back({slot.valid != 0 && slot.temperatureValid != 0, slot.temperature});
  }
  return curve;
}

void CReportData::Build(const ContentSource& source, Period period, const DateTime& start,
                        const QString& corpName) {
  configureAgain_ = true;
  start_ = start;
  const int position = source.history.monthPosition(start);
  built_ = period == Period::Month && position >= 0;
  if (!built_) return;
  const MonthRecord& month = source.history.monthAt(position);
  const ReportInfo& r = month.report;
  const CalendarFields f = start.fields();

  single(date_, q(formatText("%d年%2d月%2d日", r.year, r.month, r.day)));
  single(title_, "デ マ ン ド 実 績 報 告 書");
  single(issuer_, q(formatText("%s %s", corpName.toStdString().c_str(), r.office.c_str())));
  contract_.setSize(4, 1);
  contract_.setColumnWidths({15, 20, 15, 50});
  const QString contract[] = {"契約番号", q(r.contractNumber), "お客さま名称", q(r.customerName)};
  for (int c = 0; c < 4; ++c) contract_.setText(c, 0, contract[c]);
  equipment_.setSize(3, 2);
  equipment_.setColumnWidths({20, 35, 45});
  equipment_.setText(0, 0, "業 種");
  equipment_.setText(0, 1, q(r.businessType));
  // The capacities are whole numbers on the report: truncated, never rounded.
  auto whole = [](double v) { return clampToInteger<long>(v); };
  equipment_.setText(1, 0, q(formatText("総変圧器容量 %ld[kVA]", whole(r.totalTransformerKva))));
  equipment_.setText(
      1, 1,
      q(formatText("単相総 %ld[kVA]，三相総 %ld[kVA]", whole(r.singlePhaseKva), whole(r.threePhaseKva))));
  equipment_.setText(2, 0, q(formatText("30分ﾃﾞﾏﾝﾄﾞ %ld[kW] (過去12ヶ月最大)", whole(r.demandKw))));
  single(intro_, q(formatText("%d 月の測定期間における主なデータは，次のとおりです。", f.month)));

  single(demandHeading_, "３０分デマンド値[kW]");
  table(demand_, {{"最高", value(month.demandStats.max, &SlotValue::demandKw)},
                  {"最低", value(month.demandStats.min, &SlotValue::demandKw)},
                  {"最高日の平均", value(month.demandStats.avg, &SlotValue::demandKw)}});
  single(energyHeading_, "電力量[kWh]（１日当たり）");
  table(energy_, {{"最高", value(month.energyStats.max, &SlotValue::energyKwh)},
                  {"最低", value(month.energyStats.min, &SlotValue::energyKwh)},
                  {"平均", value(month.energyStats.avg, &SlotValue::energyKwh)},
                  {"期間累計", value(month.energyStats.sum, &SlotValue::energyKwh)}});
  single(temperatureHeading_, "期間中の外気温度[℃]");
  const SlotStats& t = month.temperatureStats;
  auto temperature = [](const SlotValue& v) {
    return v.temperatureValid ? q(formatText("%.0lf", v.temperature)) : QString();
  };
  table(temperature_,
        {{"最高", temperature(t.max)}, {"最低", temperature(t.min)}, {"平均", temperature(t.avg)}});
  notes_.setSize(2, 1);
  notes_.setColumnWidths({5, 95});
  notes_.setText(0, 0, "記事");
  notes_.setText(1, 0, q(r.notes).replace("\r\n", "\n"));
  notes_.setAlignment(1, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
  date_.setAlignment(0, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine);
  issuer_.setAlignment(0, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine);

  monthDemand_.clear();
  monthEnergy_.clear();
  for (int d = 0; d < daysInMonth(f.year, f.month); ++d) {
    const SlotStats& s = month.days[static_cast<std::size_t>(d)].dayStats;
    monthDemand_.push_back({s.max.valid != 0, s.max.demandKw});
    monthEnergy_.push_back({s.sum.valid != 0, s.sum.energyKwh});
  }
  highestDay_ = highestDemandDay(month) + 1;  // -1 (none) becomes 0
  lowestDay_ = lowestDemandDay(month) + 1;
  highest_ = curveOf(month, highestDay_);
  lowest_ = curveOf(month, lowestDay_);
}

const CCellGrid& CReportData::grid(const char* name) const {
  const std::pair<const char*, const CCellGrid*> grids[] = {
      {"date", &date_},         {"title", &title_},         {"issuer", &issuer_},
      {"contract", &contract_}, {"equipment", &equipment_}, {"intro", &intro_},
      {"demand", &demand_},     {"energy", &energy_},       {"temperature", &temperature_},
      {"notes", &notes_}};
  for (const auto& [n, g] : grids) {
    if (std::string(n) == name) return *g;
  }
  throw std::invalid_argument(name);
}

void CReportData::configure(const AxisScale& demandScale, const AxisScale& energyScale,
                            const GraphStyle& style) {
  const CalendarFields f = start_.fields();
  monthChart_.title = q(formatText("%d月 月負荷曲線", f.month));
  monthChart_.leftTitle = "デマンド値[kW]";
  monthChart_.rightTitle = "使用電力量[kWH]";
  monthChart_.leftScale = demandScale;
  monthChart_.rightScale = energyScale;
  monthChart_.barColor = style.demandColor;
  monthChart_.lineColor = style.energyColor;
  monthChart_.positions = kDaysPerMonth;
  monthChart_.labelStep = 1;
  const DateTime start = start_;
  monthChart_.xLabel = [start](int i) {
    const CalendarFields m = start.fields();
    return i < daysInMonth(m.year, m.month) ? q(formatText("%02d/%02d", m.month, i + 1)) : QString();
  };
  const std::pair<ChartFrame*, const DayCurve*> days[] = {{&highestChart_, &highest_},
                                                          {&lowestChart_, &lowest_}};
  for (const auto& [chart, curve] : days) {
    chart->title = dayChartTitle(curve->date, chart == &highestChart_ ? highestDay_ > 0 : lowestDay_ > 0,
                                 chart == &highestChart_ ? "最高" : "最低");
    chart->leftTitle = "デマンド値[kW]";
    chart->rightTitle = "最高気温[℃]";
    chart->leftScale = demandScale;
    chart->rightScale = kTemperatureScale;
    chart->barColor = style.demandColor;
    chart->lineColor = style.temperatureColor;
    chart->positions = kSlotsPerDay;
    chart->labelStep = 4;  // every second full hour
    chart->xLabel = [](int i) { return q(formatText("%02d:%02d", i / 2, (i % 2) * 30)); };
  }
}

void CReportData::Draw(QPainter& p, const QRect& area, const DrawMetrics& m, const AxisScale& demandScale,
                       const AxisScale& energyScale, const GraphStyle& style) {
  if (!built_) {
    if (m.debugMode) drawDebugModeText(p, area);
    return;
  }
  if (area.width() <= kSmallest || area.height() <= kSmallest) return;
  const QRect rect = m.printing
                         ? area.adjusted(m.x(0, 50) + m.x(0, 100), m.y(0, 50), -m.x(0, 50), -m.y(0, 50))
                         : area.adjusted(1, 1, -1, -1);
  if (configureAgain_) {
    configure(demandScale, energyScale, style);
    configureAgain_ = false;
  }

  // The heading blocks, one below the other.
  QPoint none;
  const int r = m.y(15, 50);
  const int g = m.y(10, 10);
  int y = rect.top();
  auto place = [&](CCellGrid& grid, int height, const QString& sample, bool bold) {
    grid.layout(QRect(rect.left(), y, rect.width(), height), none);
    grid.fitFont(p, 0, 0, sample, bold);
    grid.copyFontToAll(0);
    y += height;
  };
  date_.setDrawLines(false);
  title_.setDrawLines(false);
  issuer_.setDrawLines(false);
  intro_.setDrawLines(false);
  place(date_, m.y(15, 40), "9999年99月99日", false);
  place(title_, m.y(20, 80), "0123456789", true);
  place(issuer_, r, "0123456789", false);
  place(contract_, r, "0123456789", false);
  y += 2;
  place(equipment_, 2 * r, "0123456789", false);
  y += g;
  place(intro_, r, "0123456789", true);

  const int top = y + 1;
  const int bottom = rect.bottom();
  const int notesHeight = m.y(85, 250);
  const int split = top + static_cast<int>(0.57 * (bottom - top)) - notesHeight;
  const int tablesWidth = m.x(160, 430);

  // The tables column.
  const int u = (split - top - 3 * g) / 13;
  y = top + g / 2;
  CCellGrid* column[] = {&demandHeading_,      &demand_,     &energyHeading_, &energy_,
                         &temperatureHeading_, &temperature_};
  const int units[] = {1, 3, 1, 4, 1, 3};
  for (int i = 0; i < 6; ++i) {
    column[i]->layout(QRect(rect.left(), y, tablesWidth, units[i] * u), none);
    y += units[i] * u + (i % 2 == 1 ? g : 0);
  }
  demandHeading_.fitFont(p, 0, 0, "電力量[kWh]（１日当たり）あ");
  for (CCellGrid* grid : column) grid->setFontForAll(demandHeading_.font(0));

  // Notes at the bottom, five lines of them.
  notes_.layout(QRect(QPoint(rect.left(), bottom - notesHeight), QPoint(rect.right(), bottom)), none);
  notes_.fitFont(p, 0, 0, "記事");
  notes_.fitFont(p, 1, 0, "123\n123\n123\n123\n123");
  notes_.setWholeLinesOnly(1, m.printing);

  title_.setUnderline(0, true);
  for (CCellGrid* grid : {&date_, &title_, &issuer_, &contract_, &equipment_, &intro_})
    grid->paint(p, m.debugMode);
  for (CCellGrid* grid : column) grid->paint(p, m.debugMode);
  notes_.paint(p, m.debugMode);

  // The three charts.
  const QRect monthRect(QPoint(rect.left() + tablesWidth, top), QPoint(rect.right(), split));
  const int middle = rect.left() + (rect.right() - rect.left()) / 2;
  const QRect highRect(QPoint(rect.left(), split + 1), QPoint(middle, bottom - notesHeight - 1));
  const QRect lowRect(QPoint(middle, split + 1), QPoint(rect.right(), bottom - notesHeight - 1));
  monthChart_.paint(p, monthRect, m);
  monthChart_.drawBars(p, monthDemand_, demandScale, style.demandColor, m);
  monthChart_.drawLine(p, monthEnergy_, energyScale.base, energyScale.top(), style.energyColor,
                       m.x(style.energyWidth, style.energyWidth * 3), m);
  const std::pair<ChartFrame*, const DayCurve*> days[] = {{&highestChart_, &highest_},
                                                          {&lowestChart_, &lowest_}};
  const QRect* rects[] = {&highRect, &lowRect};
  for (int i = 0; i < 2; ++i) {
    ChartFrame& chart = *days[i].first;
    chart.paint(p, *rects[i], m);
    chart.drawBars(p, days[i].second->demand, demandScale, style.demandColor, m);
    chart.drawLine(p, days[i].second->temperature, kTemperatureScale.base, kTemperatureScale.top(),
                   style.temperatureColor, m.x(style.temperatureWidth, style.temperatureWidth * 3), m);
  }
}

}  // namespace pelnor
