// A view painted into an image, exactly as the window paints it: for pelnor-cli render,
// tests and benchmarks.
#pragma once

#include <QImage>
#include <QSize>

#include "data/app_settings.h"
#include "data/device_history.h"
#include "data/device_registry.h"
#include "data/display_state.h"
#include "data/period.h"
#include "data/view_kind.h"

namespace pelnor {

// Chooses the scales for the period as the window does on a date change, builds the
// contents (a month's report never entered gets its defaults from the registry and the
// stored months) and paints the view at size. The month of date must be loaded.
QImage renderView(DeviceHistory& history, const HistoryEnv& env, const CAppSettings& settings, ViewKind view,
                  Period period, const DateTime& date, QSize size);

}  // namespace pelnor
