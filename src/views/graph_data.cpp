#include "views/graph_data.h"

#include <QPainter>

#include "data/text.h"

namespace pelnor {

const char* const kDebugModeText =
    "デバックモードになっています，動作の保証はありません\n解除するには Pelnor.INI の [Maintenance] "
    "セクションを全て削除します\nもしくは Pelnor.INI 自体を削除します";

namespace {

constexpr int kSmallest = 299;  // both sides must be larger
const AxisScale kTemperatureScale{7, -10, 10};

}  // namespace

void drawDebugModeText(QPainter& painter, const QRect& rect) {
  painter.save();
  painter.setPen(Qt::black);
  painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop, QString::fromUtf8(kDebugModeText));
  painter.restore();
}

QColor colorFromBgr(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

void CGraphData::Build(const ContentSource& source, Period period, const DateTime& start) {
  period_ = period;
  start_ = start;
  configureAgain_ = true;
  demand_.clear();
  temperature_.clear();
  energy_.clear();
  contractKw_ = 0;
  if (period == Period::Year) {
    if (!source.year) return;
    for (const MonthSummary& m : source.year->months) {
      demand_.push_back({m.hasDemand, m.peakKw});
      temperature_.push_back({m.hasDemand && m.hasTemperature, m.maxTemperature});
      energy_.push_back({m.hasDemand, m.energyKwh});
    }
    contractKw_ = source.year->contractKw;
    return;
  }
  const int position = source.history.monthPosition(start);
  if (position < 0) return;
  const MonthRecord& month = source.history.monthAt(position);
  const CalendarFields f = start.fields();
  if (period == Period::Day) {
    for (const SlotValue& slot : month.days[static_cast<std::size_t>(f.day - 1)].slots) {
      demand_.push_back({slot.valid != 0, slot.demandKw});
      temperature_.push_back({slot.valid != 0 && slot.temperatureValid != 0, slot.temperature});
      energy_.push_back({slot.valid != 0, slot.energyKwh});
    }
    return;
  }
  for (int d = 0; d < daysInMonth(f.year, f.month); ++d) {
    const SlotStats& s = month.days[static_cast<std::size_t>(d)].dayStats;
    demand_.push_back({s.max.valid != 0, s.max.demandKw});
    temperature_.push_back({s.max.valid != 0 && s.max.temperatureValid != 0, s.max.temperature});
    energy_.push_back({s.sum.valid != 0, s.sum.energyKwh});
  }
}

void CGraphData::configure(const AxisScale& demandScale, const AxisScale& energyScale,
                           const GraphStyle& style) {
  const bool day = period_ == Period::Day;
  const bool year = period_ == Period::Year;
  const char* kind = day ? "日" : year ? "年" : "月";
  const DateTime start = start_;
  for (ChartFrame* frame : {&upper_, &lower_}) {
    frame->positions = day ? kSlotsPerDay : year ? kMonthsPerYear : kDaysPerMonth;
    frame->labelStep = day ? 2 : 1;
    frame->centred = year;
    frame->leftTitle = "デマンド値[kW]";
    frame->leftScale = demandScale;
    frame->barColor = style.demandColor;
    if (day) {
      frame->xLabel = [start](int i) {
        const CalendarFields f = start.fields();
        const int minutes = f.hour * 60 + f.minute + i * 30;
        return QString::fromStdString(formatText("%02d:%02d", minutes / 60 % 24, minutes % 60));
      };
    } else if (year) {
      const DateTime first = firstOfPastMonths(start, kMonthsPerYear);
      frame->xLabel = [first](int i) {
        const CalendarFields f = first.fields();
        const int months = f.year * 12 + f.month - 1 + i;
        return QString::fromStdString(formatText("%04d/%02d", months / 12, months % 12 + 1));
      };
    } else {
      frame->xLabel = [start](int i) {
        const CalendarFields f = start.fields();
        if (i >= daysInMonth(f.year, f.month)) return QString();
        return QString::fromStdString(formatText("%02d/%02d", f.month, i + 1));
      };
    }
  }
  upper_.title = QString::fromStdString(formatText("%s負荷データ（デマンド値・最高温度）", kind));
  upper_.rightTitle = "最高気温[℃]";
  upper_.rightScale = kTemperatureScale;
  upper_.lineColor = style.temperatureColor;
  lower_.title = QString::fromStdString(formatText("%s負荷データ（デマンド値・使用電力量）", kind));
  lower_.rightTitle = "使用電力量[kWH]";
  lower_.rightScale = energyScale;
  lower_.lineColor = style.energyColor;
}

void CGraphData::Draw(QPainter& p, const QRect& area, const DrawMetrics& m, CSheetData* sheet,
                      const AxisScale& demandScale, const AxisScale& energyScale, const GraphStyle& style) {
  if (!period_) {
    if (m.debugMode) drawDebugModeText(p, area);
    return;
  }
  if (area.width() <= kSmallest || area.height() <= kSmallest) return;
  QRect rect = m.printing ? area.adjusted(m.x(0, 50) + m.x(0, 100), m.y(0, 50), -m.x(0, 50), -m.y(0, 50))
                          : area.adjusted(1, 1, -1, -1);
  if (!m.printing && sheet && sheet->built()) {
    sheet->DrawHeader(p, QRect(rect.left(), rect.top(), rect.width(), 80), m);
    rect.setTop(rect.top() + 80 + 5);
  }
  const int middle = rect.top() + rect.height() / 2;
  const QRect upperRect(QPoint(rect.left(), rect.top()), QPoint(rect.right(), middle));
  const QRect lowerRect(QPoint(rect.left(), middle + 1), QPoint(rect.right(), rect.bottom()));

  // Scales and attributes can change between paints of one period only through a
  // rebuild, so the frames are set up on the first paint after it.
  if (configureAgain_) {
    configure(demandScale, energyScale, style);
    configureAgain_ = false;
  }
  upper_.paint(p, upperRect, m);
  upper_.drawBars(p, demand_, upper_.leftScale, style.demandColor, m);
  upper_.drawLine(p, temperature_, kTemperatureScale.base, kTemperatureScale.top(), style.temperatureColor,
                  m.x(style.temperatureWidth, style.temperatureWidth * 3), m);
  lower_.paint(p, lowerRect, m);
  lower_.drawBars(p, demand_, lower_.leftScale, style.demandColor, m);
  lower_.drawLine(p, energy_, lower_.rightScale.base, lower_.rightScale.top(), style.energyColor,
                  m.x(style.energyWidth, style.energyWidth * 3), m);
  if (contractKw_ > 0) {
    const QString label = QString::fromStdString(formatText("契約 %.0lf[kW]", contractKw_));
    upper_.drawLevel(p, contractKw_, upper_.leftScale, style.contractColor, label, m);
    lower_.drawLevel(p, contractKw_, lower_.leftScale, style.contractColor, label, m);
  }
}

}  // namespace pelnor
