#include "data/vct_change.h"

#include "data/aggregation.h"

namespace pelnor {

bool reapplyVctChange(DeviceHistory& history, Period shown, const DateTime& displayed, const HistoryEnv& env,
                      Reporter& reporter) {
  DeviceRecord current;
  if (!env.registry.find(history.device.deviceId, current)) return false;
  int position = history.monthPosition(displayed);
  if (position < 0) return false;

  reporter.beep();
  const bool dayOnly = shown == Period::Day;
  const char* question =
      dayOnly
          ? "現在表示している日データの「VCT(一次電流)」を\n現在の設定値に変更し再集計します\nよろしいですか"
          : "現在表示している月の全ての日データ（１日～最終日）の「VCT(一次電流)」を\n"
            "現在の設定値に変更し再集計します\nよろしいですか";
  if (!reporter.askYesNo(question)) return false;
  // Only the displayed month changes: the others are not written from what was loaded.
  history.changeStoredMonth(displayed, env, [&](MonthRecord& month) {
    if (dayOnly)
      reapplyVctToDay(month, displayed.day(), current);
    else
      reapplyVctToMonth(month, current);
  });
  return true;
}

}  // namespace pelnor
