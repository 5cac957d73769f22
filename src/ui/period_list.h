// A combo box as a list of periods: each item shows the period's text and holds the date
// it starts on, so that what is chosen is read as a date, never parsed back from text.
#pragma once

#include <QComboBox>

#include "data/period.h"

namespace pelnor {

// Replaces the items with one per period of the kind from the one that holds first to
// the one that holds last, in increasing order.
void fillPeriodList(QComboBox& list, Period period, const DateTime& first, const DateTime& last);
// The item of the period of the kind that holds date; -1 when the list has none.
int periodIndexOf(const QComboBox& list, Period period, const DateTime& date);
// The start of the item's period; invalid when there is no such item.
DateTime periodAt(const QComboBox& list, int index);

}  // namespace pelnor
