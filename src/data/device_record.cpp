#include "data/device_record.h"

namespace pelnor {

DeviceRecord DeviceRecord::makeNew(const DeviceDefaults& defaults) {
  DeviceRecord record;
  record.multiplier = defaults.multiplier;
  record.primaryVoltage = defaults.primaryVoltage;
  record.secondaryVoltage = defaults.secondaryVoltage;
  record.primaryCurrent = defaults.primaryCurrent;
  record.secondaryCurrent = defaults.secondaryCurrent;
  record.pulseConstant = defaults.pulseConstant;
  return record;
}

int32_t VctTable::currentForMultiplier(int32_t multiplier) {
  for (const Row& row : kRows) {
    if (row.multiplier == multiplier) return row.primaryCurrent;
  }
  return -1;
}

int32_t VctTable::multiplierAt(int position) {
  if (position < 0 || position >= count()) return -1;
  return kRows[static_cast<std::size_t>(position)].multiplier;
}

ReportInfo readReportInfo(ArchiveReader& in) {
  ReportInfo r;
  readReportInfoInto(in, r);
  return r;
}

void readReportInfoInto(ArchiveReader& in, ReportInfo& r) {
  r.entered = in.readInt32();
  r.year = in.readInt32();
  r.month = in.readInt32();
  r.day = in.readInt32();
  r.office = in.readText();
  r.contractNumber = in.readText();
  r.customerName = in.readText();
  r.businessType = in.readText();
  r.totalTransformerKva = in.readFloat64();
  r.singlePhaseKva = in.readFloat64();
  r.threePhaseKva = in.readFloat64();
  r.demandKw = in.readFloat64();
  r.spare = in.readInt32();
  r.notes = in.readText();
}

void writeReportInfo(ArchiveWriter& out, const ReportInfo& r) {
  out.writeInt32(r.entered);
  out.writeInt32(r.year);
  out.writeInt32(r.month);
  out.writeInt32(r.day);
  out.writeText(r.office);
  out.writeText(r.contractNumber);
  out.writeText(r.customerName);
  out.writeText(r.businessType);
  out.writeFloat64(r.totalTransformerKva);
  out.writeFloat64(r.singlePhaseKva);
  out.writeFloat64(r.threePhaseKva);
  out.writeFloat64(r.demandKw);
  out.writeInt32(r.spare);
  out.writeText(r.notes);
}

DeviceRecord readDeviceRecord(ArchiveReader& in, int32_t version, const DeviceDefaults& defaults) {
  DeviceRecord d;
  readDeviceRecordInto(in, version, defaults, d);
  return d;
}

void readDeviceRecordInto(ArchiveReader& in, int32_t version, const DeviceDefaults& defaults,
                          DeviceRecord& d) {
  if (version < kReportVersion) d = DeviceRecord::makeNew(defaults);
  d.deviceId = in.readInt32();
  d.customerName = in.readText();
  d.multiplier = in.readInt32();
  d.primaryVoltage = in.readInt32();
  d.secondaryVoltage = in.readInt32();
  d.primaryCurrent = in.readInt32();
  d.secondaryCurrent = in.readInt32();
  d.pulseConstant = in.readInt32();
  if (version >= kReportVersion) readReportInfoInto(in, d.report);
}

void writeDeviceRecord(ArchiveWriter& out, const DeviceRecord& d) {
  out.writeInt32(d.deviceId);
  out.writeText(d.customerName);
  out.writeInt32(d.multiplier);
  out.writeInt32(d.primaryVoltage);
  out.writeInt32(d.secondaryVoltage);
  out.writeInt32(d.primaryCurrent);
  out.writeInt32(d.secondaryCurrent);
  out.writeInt32(d.pulseConstant);
  writeReportInfo(out, d.report);
}

std::size_t minDeviceRecordBytes(int32_t version) {
  constexpr std::size_t kRecord = 7 * 4 + 1;                  // seven int32 and an empty name
  constexpr std::size_t kReport = 4 * 4 + 4 + 4 * 8 + 4 + 1;  // with five empty strings
  return version >= kReportVersion ? kRecord + kReport : kRecord;
}

}  // namespace pelnor
