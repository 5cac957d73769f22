#include "ui/period_list.h"

#include <QDate>

namespace pelnor {

namespace {

QDate qDateOf(const DateTime& date) { return QDate(date.year(), date.month(), date.day()); }

}  // namespace

void fillPeriodList(QComboBox& list, Period period, const DateTime& first, const DateTime& last) {
  list.clear();
  for (DateTime d = periodStart(period, first); d.isValid() && !(last < d); d = nextPeriodStart(period, d))
    list.addItem(QString::fromStdString(monthText(period, d)), qDateOf(d));
}

int periodIndexOf(const QComboBox& list, Period period, const DateTime& date) {
  if (!date.isValid()) return -1;
  return list.findData(qDateOf(periodStart(period, date)));
}

DateTime periodAt(const QComboBox& list, int index) {
  const QDate date = list.itemData(index).toDate();
  if (!date.isValid()) return DateTime(DateTime::kInvalid, 0);
  return DateTime::fromFields(date.year(), date.month(), date.day());
}

}  // namespace pelnor
