// The JSON form of the stored files, for inspecting and repairing them by hand.
#pragma once

#include <istream>
#include <nlohmann/json.hpp>
#include <stdexcept>

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

// A float64 as JSON: a number, or "NaN", "Infinity", "-Infinity".
Json float64ToJson(double value);

// A value of the document that its field cannot hold exactly; the text names its place
// ("$.devices[0].deviceId: ...").
class JsonValueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The deepest nesting of arrays and objects a document may have; ours have five levels.
constexpr int kMaxJsonDepth = 64;

// Parses a document, refusing (JsonValueError) one nested deeper than kMaxJsonDepth while
// it is read: printing or copying the parsed value goes down its levels on the stack.
// Throws the library's parse_error on text that is not JSON.
Json parseJsonDocument(std::istream& in);

// Throw JsonValueError on any value that does not fit its field; nothing is changed then.
void masterFromJson(const Json& json, DeviceRegistry& registry);
MonthRecord monthFromJson(const Json& json, const DeviceDefaults& defaults);

}  // namespace pelnor::cli
