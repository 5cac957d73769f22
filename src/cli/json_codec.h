// The JSON form of the stored files, for inspecting and repairing them by hand.
#pragma once

#include <nlohmann/json.hpp>

#include "data/device_registry.h"
#include "data/month_record.h"

namespace pelnor::cli {

using Json = nlohmann::ordered_json;

Json reportToJson(const ReportInfo& report);
Json deviceToJson(const DeviceRecord& device);
Json masterToJson(const DeviceRegistry& registry, int32_t version);
Json monthToJson(const MonthRecord& month, int32_t version);

// The computed values: slots and day statistics on every day, the four statistics and
// the highest- and lowest-demand days (1-based, null without data) on the month.
Json slotValueToJson(const SlotValue& value);
Json slotStatsToJson(const SlotStats& stats);
void addAggregates(Json& monthJson, const MonthRecord& month);
// A day index (0 = the 1st) as its day number, or null for -1.
Json dayNumberOrNull(int dayIndex);

// Throw nlohmann::json::exception (or std::invalid_argument) on a malformed document.
ReportInfo reportFromJson(const Json& json);
DeviceRecord deviceFromJson(const Json& json, const DeviceDefaults& defaults);
void masterFromJson(const Json& json, DeviceRegistry& registry);
MonthRecord monthFromJson(const Json& json, const DeviceDefaults& defaults);

}  // namespace pelnor::cli
