#include "cli/json_codec.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <tuple>

#include "data/aggregation.h"
#include "data/text.h"

namespace pelnor::cli {

namespace {

// JSON has no NaN or infinity: they are written as these strings and read back.
const std::pair<const char*, double> kSpecialNumbers[] = {
    {"NaN", std::numeric_limits<double>::quiet_NaN()},
    {"Infinity", std::numeric_limits<double>::infinity()},
    {"-Infinity", -std::numeric_limits<double>::infinity()},
};

}  // namespace

Json float64ToJson(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  return value;
}

Json reportToJson(const ReportInfo& r) {
  return Json{{"entered", r.entered},
              {"year", r.year},
              {"month", r.month},
              {"day", r.day},
              {"office", r.office.str()},
              {"contractNumber", r.contractNumber.str()},
              {"customerName", r.customerName.str()},
              {"businessType", r.businessType.str()},
              {"totalTransformerKva", float64ToJson(r.totalTransformerKva)},
              {"singlePhaseKva", float64ToJson(r.singlePhaseKva)},
              {"threePhaseKva", float64ToJson(r.threePhaseKva)},
              {"demandKw", float64ToJson(r.demandKw)},
              {"spare", r.spare},
              {"notes", r.notes.str()}};
}

Json deviceToJson(const DeviceRecord& d) {
  return Json{{"deviceId", d.deviceId},
              {"customerName", d.customerName.str()},
              {"multiplier", d.multiplier},
              {"primaryVoltage", d.primaryVoltage},
              {"secondaryVoltage", d.secondaryVoltage},
              {"primaryCurrent", d.primaryCurrent},
              {"secondaryCurrent", d.secondaryCurrent},
              {"pulseConstant", d.pulseConstant},
              {"report", reportToJson(d.report)}};
}

Json masterToJson(const DeviceRegistry& registry, int32_t version) {
  Json devices = Json::array();
  for (int i = 0; i < registry.count(); ++i) devices.push_back(deviceToJson(registry.deviceAt(i)));
  return Json{{"kind", "master"},
              {"version", version},
              {"commSettings", registry.commSettings},
              {"report", reportToJson(registry.report)},
              {"devices", devices}};
}

Json monthToJson(const MonthRecord& month, int32_t version) {
  Json days = Json::array();
  for (const DayRecord& day : month.days) {
    Json readings = Json::array();
    for (const Reading& r : day.readings) {
      readings.push_back(Json{{"hour", r.hour},
                              {"minute", r.minute},
                              {"pulseCount", r.pulseCount},
                              {"temperature", float64ToJson(r.temperature)}});
    }
    days.push_back(Json{{"header", deviceToJson(day.header)}, {"readings", readings}});
  }
  return Json{
      {"kind", "month"},
      {"version", version},
      {"month", Json{{"status", month.month.status()}, {"value", float64ToJson(month.month.value())}}},
      {"report", reportToJson(month.report)},
      {"days", days}};
}

Json slotValueToJson(const SlotValue& v) {
  return Json{{"valid", v.valid},
              {"pulses", v.pulses},
              {"demandKw", float64ToJson(v.demandKw)},
              {"energyKwh", float64ToJson(v.energyKwh)},
              {"temperature", float64ToJson(v.temperature)}};
}

Json slotStatsToJson(const SlotStats& s) {
  return Json{{"count", s.count},
              {"sum", slotValueToJson(s.sum)},
              {"max", slotValueToJson(s.max)},
              {"min", slotValueToJson(s.min)},
              {"avg", slotValueToJson(s.avg)}};
}

Json dayNumberOrNull(int dayIndex) { return dayIndex < 0 ? Json(nullptr) : Json(dayIndex + 1); }

void addAggregates(Json& monthJson, const MonthRecord& month) {
  Json& days = monthJson.at("days");
  for (std::size_t d = 0; d < month.days.size() && d < days.size(); ++d) {
    Json slots = Json::array();
    for (const SlotValue& slot : month.days[d].slots) slots.push_back(slotValueToJson(slot));
    days[d]["slots"] = slots;
    days[d]["dayStats"] = slotStatsToJson(month.days[d].dayStats);
  }
  monthJson["pulseStats"] = slotStatsToJson(month.pulseStats);
  monthJson["demandStats"] = slotStatsToJson(month.demandStats);
  monthJson["energyStats"] = slotStatsToJson(month.energyStats);
  monthJson["temperatureStats"] = slotStatsToJson(month.temperatureStats);
  monthJson["highestDemandDay"] = dayNumberOrNull(highestDemandDay(month));
  monthJson["lowestDemandDay"] = dayNumberOrNull(lowestDemandDay(month));
}

namespace {

// Reads the values of a JSON document into record fields, refusing every value that
// the field cannot hold exactly; the message names the value's place in the document.
class Field {
 public:
  Field(const Json& value, std::string path) : value_(value), path_(std::move(path)) {}

  Field operator[](const char* key) const {
    if (!value_.is_object()) fail("is not an object");
    auto it = value_.find(key);
    if (it == value_.end()) throw JsonValueError(path_ + "." + key + ": missing");
    return Field(*it, path_ + "." + key);
  }
  Field operator[](std::size_t index) const {
    return Field(value_.at(index), path_ + "[" + std::to_string(index) + "]");
  }
  std::size_t arraySize() const {
    if (!value_.is_array()) fail("is not an array");
    return value_.size();
  }
  void expectSize(std::size_t size) const {
    if (arraySize() != size) fail("must hold exactly " + std::to_string(size) + " elements");
  }

  int32_t int32() const {
    if (value_.is_number_integer()) {
      bool fits = value_.is_number_unsigned()
                      ? value_.get<uint64_t>() <= INT32_MAX
                      : value_.get<int64_t>() >= INT32_MIN && value_.get<int64_t>() <= INT32_MAX;
      if (!fits) fail("does not fit in a 32-bit integer");
      return static_cast<int32_t>(value_.get<int64_t>());
    }
    if (value_.is_number_float()) {
      double v = value_.get<double>();
      if (std::trunc(v) != v || v < INT32_MIN || v > INT32_MAX) fail("is not a 32-bit integer");
      return static_cast<int32_t>(v);
    }
    fail("is not an integer");
  }

  double float64() const {
    if (value_.is_string()) {
      const std::string& text = value_.get_ref<const std::string&>();
      for (const auto& [name, number] : kSpecialNumbers) {
        if (text == name) return number;
      }
      fail("is not a number (\"NaN\", \"Infinity\" or \"-Infinity\" stand for those values)");
    }
    if (value_.is_number_float()) return value_.get<double>();
    if (value_.is_number_unsigned()) return exactly<uint64_t>(value_.get<uint64_t>());
    if (value_.is_number_integer()) return exactly<int64_t>(value_.get<int64_t>());
    fail("is not a number");
  }

  std::string text() const {
    if (!value_.is_string()) fail("is not a string");
    const std::string& utf8 = value_.get_ref<const std::string&>();
    if (!utf8ToCp932IfExact(utf8))
      fail("holds a character that cp932 cannot hold: " + charactersCp932Lacks(utf8));
    return utf8;
  }

  const Json& json() const { return value_; }

 private:
  // Integers beyond 2^53 lose digits as a float64.
  template <typename Integer>
  double exactly(Integer value) const {
    constexpr double kLimit = static_cast<double>(std::numeric_limits<Integer>::max()) + 1.0;
    double v = static_cast<double>(value);
    if (v >= kLimit || static_cast<Integer>(v) != value) fail("cannot be held exactly by a 64-bit float");
    return v;
  }

  [[noreturn]] void fail(const std::string& why) const {
    throw JsonValueError(path_ + ": " + value_.dump() + " " + why);
  }

  const Json& value_;
  std::string path_;
};

ReportInfo readReport(const Field& f) {
  ReportInfo r;
  r.entered = f["entered"].int32();
  r.year = f["year"].int32();
  r.month = f["month"].int32();
  r.day = f["day"].int32();
  r.office = f["office"].text();
  r.contractNumber = f["contractNumber"].text();
  r.customerName = f["customerName"].text();
  r.businessType = f["businessType"].text();
  r.totalTransformerKva = f["totalTransformerKva"].float64();
  r.singlePhaseKva = f["singlePhaseKva"].float64();
  r.threePhaseKva = f["threePhaseKva"].float64();
  r.demandKw = f["demandKw"].float64();
  r.spare = f["spare"].int32();
  r.notes = f["notes"].text();
  return r;
}

DeviceRecord readDevice(const Field& f, const DeviceDefaults& defaults) {
  DeviceRecord d = DeviceRecord::makeNew(defaults);
  d.deviceId = f["deviceId"].int32();
  d.customerName = f["customerName"].text();
  d.multiplier = f["multiplier"].int32();
  d.primaryVoltage = f["primaryVoltage"].int32();
  d.secondaryVoltage = f["secondaryVoltage"].int32();
  d.primaryCurrent = f["primaryCurrent"].int32();
  d.secondaryCurrent = f["secondaryCurrent"].int32();
  d.pulseConstant = f["pulseConstant"].int32();
  d.report = readReport(f["report"]);
  return d;
}

void expectKind(const Field& root, const char* kind) {
  if (root["kind"].text() != kind) throw JsonValueError(std::string("kind: is not \"") + kind + "\"");
}

}  // namespace

Json parseJsonDocument(std::istream& in) {
  // The parser itself keeps its levels on the heap; it calls this at every array or
  // object it opens, with the number of those around it.
  auto limitDepth = [](int depth, nlohmann::json::parse_event_t event, Json&) {
    if ((event == nlohmann::json::parse_event_t::array_start ||
         event == nlohmann::json::parse_event_t::object_start) &&
        depth >= kMaxJsonDepth) {
      throw JsonValueError("$: arrays and objects nested deeper than " + std::to_string(kMaxJsonDepth) +
                           " levels are refused");
    }
    return true;
  };
  return Json::parse(in, limitDepth);
}

void masterFromJson(const Json& j, DeviceRegistry& registry) {
  Field root(j, "$");
  expectKind(root, "master");
  Field comm = root["commSettings"];
  comm.expectSize(std::tuple_size_v<CommSettings>);
  CommSettings settings{};
  for (std::size_t i = 0; i < settings.size(); ++i) settings[i] = comm[i].int32();
  ReportInfo report = readReport(root["report"]);
  Field devices = root["devices"];
  std::vector<DeviceRecord> records;
  for (std::size_t i = 0; i < devices.arraySize(); ++i)
    records.push_back(readDevice(devices[i], registry.defaults()));

  registry.reset();
  registry.commSettings = settings;
  registry.report = report;
  for (const DeviceRecord& d : records) registry.put(d);
}

MonthRecord monthFromJson(const Json& j, const DeviceDefaults& defaults) {
  Field root(j, "$");
  expectKind(root, "month");
  Field days = root["days"];
  days.expectSize(kDaysPerMonth);
  MonthRecord month = MonthRecord::makeNew(
      DateTime(root["month"]["status"].int32(), root["month"]["value"].float64()), defaults);
  month.report = readReport(root["report"]);
  for (std::size_t d = 0; d < kDaysPerMonth; ++d) {
    DayRecord& day = month.days[d];
    day.header = readDevice(days[d]["header"], defaults);
    // Stored as given: the file keeps readings in the order they stand.
    Field readings = days[d]["readings"];
    for (std::size_t i = 0; i < readings.arraySize(); ++i) {
      Field r = readings[i];
      day.readings.push_back(Reading{r["hour"].int32(), r["minute"].int32(), r["pulseCount"].int32(),
                                     r["temperature"].float64()});
    }
  }
  return month;
}

}  // namespace pelnor::cli
