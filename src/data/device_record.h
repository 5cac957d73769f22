// One device's settings, the report entry fields and the VCT table.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "data/archive.h"

namespace pelnor {

// The settings values that every new device record starts from. The numbers here are
// the defaults of the settings file and of a record never filled in.
struct DeviceDefaults {
  int32_t multiplier = 60;
  int32_t primaryVoltage = 6600;
  int32_t secondaryVoltage = 110;
  int32_t primaryCurrent = 5;
  int32_t secondaryCurrent = 5;
  int32_t pulseConstant = 50000;
};
inline constexpr DeviceDefaults kDeviceDefaults{};

// Entry fields of the monthly demand report.
struct ReportInfo {
  int32_t entered = 0;
  int32_t year = 99, month = 99, day = 99;  // 99 = not set
  StoredText office;
  StoredText contractNumber;
  StoredText customerName;
  StoredText businessType;
  double totalTransformerKva = 0;
  double singlePhaseKva = 0;
  double threePhaseKva = 0;
  double demandKw = 0;
  int32_t spare = 99;
  StoredText notes;

  bool operator==(const ReportInfo&) const = default;
};

struct DeviceRecord {
  static constexpr int32_t kNoDevice = -1;

  int32_t deviceId = kNoDevice;
  StoredText customerName;
  int32_t multiplier = kDeviceDefaults.multiplier;
  int32_t primaryVoltage = kDeviceDefaults.primaryVoltage;
  int32_t secondaryVoltage = kDeviceDefaults.secondaryVoltage;
  int32_t primaryCurrent = kDeviceDefaults.primaryCurrent;
  int32_t secondaryCurrent = kDeviceDefaults.secondaryCurrent;
  int32_t pulseConstant = kDeviceDefaults.pulseConstant;
  ReportInfo report;

  static DeviceRecord makeNew(const DeviceDefaults& defaults);
  bool operator==(const DeviceRecord&) const = default;
};

// The fixed VCT rows: multiplier to VCT primary current [A].
class VctTable {
 public:
  struct Row {
    int32_t multiplier;
    int32_t primaryCurrent;
  };
  static constexpr std::array<Row, 22> kRows{
      {{60, 5},     {120, 10},   {180, 15},   {240, 20},   {300, 25},   {360, 30},   {480, 40},   {600, 50},
       {720, 60},   {900, 75},   {960, 80},   {1200, 100}, {1440, 120}, {1800, 150}, {2400, 200}, {3000, 250},
       {3600, 300}, {4800, 400}, {6000, 500}, {7200, 600}, {9000, 750}, {9600, 800}}};

  static constexpr int count() { return static_cast<int>(kRows.size()); }
  // The primary current of a multiplier, or -1 when the table has no such row.
  static int32_t currentForMultiplier(int32_t multiplier);
  // The multiplier of a row; -1 outside the table.
  static int32_t multiplierAt(int position);
};

// The oldest file version that stores report entries.
constexpr int32_t kReportVersion = 3;
// The version every writer writes.
constexpr int32_t kCurrentFileVersion = 3;

ReportInfo readReportInfo(ArchiveReader& in);
// The same into a record whose fields are all overwritten (the month reader reuses its days).
void readReportInfoInto(ArchiveReader& in, ReportInfo& report);
void writeReportInfo(ArchiveWriter& out, const ReportInfo& report);

// A device record as the file of version `version` holds it; older files keep the
// default report.
DeviceRecord readDeviceRecord(ArchiveReader& in, int32_t version, const DeviceDefaults& defaults);
void readDeviceRecordInto(ArchiveReader& in, int32_t version, const DeviceDefaults& defaults,
                          DeviceRecord& record);
void writeDeviceRecord(ArchiveWriter& out, const DeviceRecord& record);

// The fewest bytes a device record of a version can take on file.
std::size_t minDeviceRecordBytes(int32_t version);

}  // namespace pelnor
