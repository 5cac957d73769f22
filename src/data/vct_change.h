// Applying a device's current VCT rating to stored days and computing them again.
#pragma once

#include "data/device_history.h"
#include "data/period.h"
#include "data/reporter.h"

namespace pelnor {

// Asks first; on Yes the displayed day's or month's headers become the
// registry's record in the month as it is stored now, which is aggregated again and
// rewritten when its file exists. Returns true when the month in memory changed (to what
// its file holds) and the views need a refresh.
bool reapplyVctChange(DeviceHistory& history, Period shown, const DateTime& displayed, const HistoryEnv& env,
                      Reporter& reporter);

}  // namespace pelnor
