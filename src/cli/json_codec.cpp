#include "cli/json_codec.h"

#include <stdexcept>

#include "data/aggregation.h"

namespace pelnor::cli {

Json reportToJson(const ReportInfo& r) {
  return Json{{"entered", r.entered},
              {"year", r.year},
              {"month", r.month},
              {"day", r.day},
              {"office", r.office},
              {"contractNumber", r.contractNumber},
              {"customerName", r.customerName},
              {"businessType", r.businessType},
              {"totalTransformerKva", r.totalTransformerKva},
              {"singlePhaseKva", r.singlePhaseKva},
              {"threePhaseKva", r.threePhaseKva},
              {"demandKw", r.demandKw},
              {"spare", r.spare},
              {"notes", r.notes}};
}

Json deviceToJson(const DeviceRecord& d) {
  return Json{{"deviceId", d.deviceId},
              {"customerName", d.customerName},
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
                              {"temperature", r.temperature}});
    }
    days.push_back(Json{{"header", deviceToJson(day.header)}, {"readings", readings}});
  }
  return Json{{"kind", "month"},
              {"version", version},
              {"month", Json{{"status", month.month.status()}, {"value", month.month.value()}}},
              {"report", reportToJson(month.report)},
              {"days", days}};
}

Json slotValueToJson(const SlotValue& v) {
  return Json{{"valid", v.valid},
              {"pulses", v.pulses},
              {"demandKw", v.demandKw},
              {"energyKwh", v.energyKwh},
              {"temperature", v.temperature}};
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

ReportInfo reportFromJson(const Json& j) {
  ReportInfo r;
  r.entered = j.at("entered").get<int32_t>();
  r.year = j.at("year").get<int32_t>();
  r.month = j.at("month").get<int32_t>();
  r.day = j.at("day").get<int32_t>();
  r.office = j.at("office").get<std::string>();
  r.contractNumber = j.at("contractNumber").get<std::string>();
  r.customerName = j.at("customerName").get<std::string>();
  r.businessType = j.at("businessType").get<std::string>();
  r.totalTransformerKva = j.at("totalTransformerKva").get<double>();
  r.singlePhaseKva = j.at("singlePhaseKva").get<double>();
  r.threePhaseKva = j.at("threePhaseKva").get<double>();
  r.demandKw = j.at("demandKw").get<double>();
  r.spare = j.at("spare").get<int32_t>();
  r.notes = j.at("notes").get<std::string>();
  return r;
}

DeviceRecord deviceFromJson(const Json& j, const DeviceDefaults& defaults) {
  DeviceRecord d = DeviceRecord::makeNew(defaults);
  d.deviceId = j.at("deviceId").get<int32_t>();
  d.customerName = j.at("customerName").get<std::string>();
  d.multiplier = j.at("multiplier").get<int32_t>();
  d.primaryVoltage = j.at("primaryVoltage").get<int32_t>();
  d.secondaryVoltage = j.at("secondaryVoltage").get<int32_t>();
  d.primaryCurrent = j.at("primaryCurrent").get<int32_t>();
  d.secondaryCurrent = j.at("secondaryCurrent").get<int32_t>();
  d.pulseConstant = j.at("pulseConstant").get<int32_t>();
  d.report = reportFromJson(j.at("report"));
  return d;
}

void masterFromJson(const Json& j, DeviceRegistry& registry) {
  if (j.at("kind") != "master") throw std::invalid_argument("kind is not \"master\"");
  registry.reset();
  registry.commSettings = j.at("commSettings").get<CommSettings>();
  registry.report = reportFromJson(j.at("report"));
  for (const Json& device : j.at("devices")) registry.put(deviceFromJson(device, registry.defaults()));
}

MonthRecord monthFromJson(const Json& j, const DeviceDefaults& defaults) {
  if (j.at("kind") != "month") throw std::invalid_argument("kind is not \"month\"");
  const Json& days = j.at("days");
  if (days.size() > kDaysPerMonth) throw std::invalid_argument("more than 31 days");
  MonthRecord month = MonthRecord::makeNew(
      DateTime(j.at("month").at("status").get<int32_t>(), j.at("month").at("value").get<double>()), defaults);
  month.report = reportFromJson(j.at("report"));
  for (std::size_t d = 0; d < days.size(); ++d) {
    DayRecord& day = month.days[d];
    day.header = deviceFromJson(days[d].at("header"), defaults);
    // Stored as given: the file keeps readings in the order they stand.
    for (const Json& r : days[d].at("readings")) {
      day.readings.push_back(Reading{r.at("hour").get<int32_t>(), r.at("minute").get<int32_t>(),
                                     r.at("pulseCount").get<int32_t>(), r.at("temperature").get<double>()});
    }
  }
  return month;
}

}  // namespace pelnor::cli
