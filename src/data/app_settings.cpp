#include "data/app_settings.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "data/data_location.h"
#include "data/text.h"

namespace pelnor {

namespace {

constexpr const char* kWinInfo = "WinInfo";
constexpr const char* kSetting = "Setting";
constexpr const char* kGraph = "グラフ属性";
constexpr const char* kMaintenance = "Maintenance";
constexpr const char* kReport = "Report";
constexpr const char* kSerialPorts = "SerialPorts";

constexpr const char* kPlacementFormat = "%u , %u , %d , %d , %d , %d , %d , %d , %d , %d";

// The keys that belong to one machine and revert when the file comes from another.
constexpr const char* kMachineKeys[] = {"受信データの表示", "txtOutDir", "IsOutExe", "txtOutExe"};

constexpr const char* kDefaultViewer = "xdg-open";

}  // namespace

std::string readInstallationId(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string id;
  std::getline(in, id);
  return std::string(trimBlanks(id));
}

void CAppSettings::Load(const std::string& installationId, DataLocation& location) {
  constexpr bool wb = true;  // every read writes a missing key back with its default
  // Each file is read once and written once, when something changed.
  IniDocument settings = ini.document();
  IniDocument labels = ini.document(reportLabelFile());

  std::string size = settings.getString(kWinInfo, "Size", "", wb);
  placementValid = 0;
  if (!size.empty()) {
    WindowPlacement p;
    int fields = std::sscanf(size.c_str(), kPlacementFormat, &p.flags, &p.showCmd, &p.minX, &p.minY, &p.maxX,
                             &p.maxY, &p.left, &p.top, &p.right, &p.bottom);
    if (fields == 10) {
      windowPlacement = p;
      placementValid = 1;
    }
  }
  windowPlacement.length = 44;

  std::string storedId = settings.getString(kSetting, "ProductId", "", wb);
  installationChanged = storedId != installationId ? 1 : 0;
  if (installationChanged) {
    for (const char* key : kMachineKeys) settings.remove(kSetting, key);
  }

  DeviceDefaults& r = newDeviceRatings;
  r.multiplier = settings.getInt(kSetting, "設備容量(kW)", kDeviceDefaults.multiplier, wb);
  r.primaryVoltage = settings.getInt(kSetting, "一次定格電圧(V)", kDeviceDefaults.primaryVoltage, wb);
  r.secondaryVoltage = settings.getInt(kSetting, "二次定格電圧(V)", kDeviceDefaults.secondaryVoltage, wb);
  r.primaryCurrent = VctTable::currentForMultiplier(r.multiplier);
  r.secondaryCurrent = settings.getInt(kSetting, "二次定格電流(A)", kDeviceDefaults.secondaryCurrent, wb);
  pulseConstant = settings.getInt(kSetting, "パルス定数(ﾊﾟﾙｽ/kWH)", kDeviceDefaults.pulseConstant, wb);
  showReceivedData = settings.getInt(kSetting, "受信データの表示", 1, wb);
  monthsToLoad = settings.getInt(kSetting, "過去データ読込月数", 1, wb);

  csvOutDir = settings.getString(kSetting, "txtOutDir", pathText(ini.ProgramDir() / "REPORT"), wb);
  openAfterCsv = settings.getInt(kSetting, "IsOutExe", 1, wb);
  csvViewer = settings.getString(kSetting, "txtOutExe", kDefaultViewer, wb);
  rawOutDir = settings.getString(kSetting, "txtValOutDir", "", wb);
  copyDir = settings.getString(kSetting, "DatCopyDir", pathText(homeFolder()), wb);

  location.setOtherPath(settings.getString(kSetting, "DocDir", "", wb));
  location.setMode(settings.getInt(kSetting, "DocTp(0:My,1:Other)", 0, wb) != 0 ? DataLocation::kOther
                                                                                : DataLocation::kOwn);

  maxTempColor = static_cast<uint32_t>(settings.getInt(kGraph, "最高温度色", 16711680, wb));
  maxTempWidth = settings.getInt(kGraph, "最高温度太さ", 3, wb);
  energyColor = static_cast<uint32_t>(settings.getInt(kGraph, "使用電力量色", 255, wb));
  energyWidth = settings.getInt(kGraph, "使用電力量太さ", 3, wb);
  demandColor = static_cast<uint32_t>(settings.getInt(kGraph, "デマンド色", 65280, wb));

  noSerialPort = settings.getInt(kMaintenance, "NoneRS", 0, wb);
  commLog = settings.getInt(kMaintenance, "CommLog", 0, wb);
  printPreview = settings.getInt(kMaintenance, "PRINT_PREVIEW", 0, wb);

  corpName = labels.getString(kReport, "CorpName", "", wb);
  inputTitle1 = labels.getString(kReport, "InputTitle1", "事業所", wb);
  settings.save();
  labels.save();
}

void CAppSettings::Save(const std::string& installationId, const DataLocation& location) const {
  IniDocument settings = ini.document();
  const WindowPlacement& p = windowPlacement;
  settings.write(kWinInfo, "Size",
                 formatText(kPlacementFormat, p.flags, p.showCmd, p.minX, p.minY, p.maxX, p.maxY, p.left,
                            p.top, p.right, p.bottom));
  settings.write(kSetting, "ProductId", installationId);
  settings.writeInt(kSetting, "受信データの表示", showReceivedData);
  settings.writeInt(kSetting, "過去データ読込月数", monthsToLoad);
  settings.write(kSetting, "txtOutDir", csvOutDir);
  settings.writeInt(kSetting, "IsOutExe", openAfterCsv);
  settings.write(kSetting, "txtOutExe", csvViewer);
  settings.write(kSetting, "txtValOutDir", rawOutDir);
  settings.write(kSetting, "DatCopyDir", copyDir);
  settings.write(kSetting, "DocDir", location.otherPath());
  settings.writeInt(kSetting, "DocTp(0:My,1:Other)", location.isOwn() ? 0 : 1);
  settings.writeUInt(kGraph, "最高温度色", maxTempColor);
  settings.writeInt(kGraph, "最高温度太さ", maxTempWidth);
  settings.writeUInt(kGraph, "使用電力量色", energyColor);
  settings.writeInt(kGraph, "使用電力量太さ", energyWidth);
  settings.writeUInt(kGraph, "デマンド色", demandColor);
  settings.save();
}

void CAppSettings::WriteCheckSection(const std::string& fileVersion,
                                     const std::string& productVersion) const {
  IniDocument settings = ini.document();
  settings.write("check", "FileVersion", fileVersion);
  settings.write("check", "ProductVersion", productVersion);
  settings.save();
}

std::string CAppSettings::serialDevicePath(int port) const {
  // Present but empty is "not set", never the fixed rule's device: that may be the console.
  const std::optional<std::string> configured = ini.document().value(kSerialPorts, formatText("COM%d", port));
  return configured ? *configured : fixedPortPath(port);
}

DeviceDefaults CAppSettings::deviceDefaults() const {
  DeviceDefaults defaults = newDeviceRatings;
  defaults.pulseConstant = pulseConstant;
  return defaults;
}

}  // namespace pelnor
