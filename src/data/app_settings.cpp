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
  constexpr bool wb = true;              // every read writes a missing key back with its default
  const std::filesystem::path settings;  // the settings file itself

  std::string size = ini.GetString(kWinInfo, "Size", "", settings, wb);
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

  std::string storedId = ini.GetString(kSetting, "ProductId", "", settings, wb);
  installationChanged = storedId != installationId ? 1 : 0;
  if (installationChanged) {
    for (const char* key : kMachineKeys) ini.DeleteKey(kSetting, key);
  }

  multiplierDefault = ini.GetInt(kSetting, "設備容量(kW)", 60, settings, wb);
  primaryVoltageDefault = ini.GetInt(kSetting, "一次定格電圧(V)", 6600, settings, wb);
  secondaryVoltageDefault = ini.GetInt(kSetting, "二次定格電圧(V)", 110, settings, wb);
  primaryCurrentDefault = VctTable::currentForMultiplier(multiplierDefault);
  secondaryCurrentDefault = ini.GetInt(kSetting, "二次定格電流(A)", 5, settings, wb);
  pulseConstant = ini.GetInt(kSetting, "パルス定数(ﾊﾟﾙｽ/kWH)", 50000, settings, wb);
  showReceivedData = ini.GetInt(kSetting, "受信データの表示", 1, settings, wb);
  monthsToLoad = ini.GetInt(kSetting, "過去データ読込月数", 1, settings, wb);

  csvOutDir = ini.GetString(kSetting, "txtOutDir", pathText(ini.ProgramDir() / "REPORT"), settings, wb);
  openAfterCsv = ini.GetInt(kSetting, "IsOutExe", 1, settings, wb);
  csvViewer = ini.GetString(kSetting, "txtOutExe", kDefaultViewer, settings, wb);
  rawOutDir = ini.GetString(kSetting, "txtValOutDir", "", settings, wb);
  copyDir = ini.GetString(kSetting, "DatCopyDir", pathText(homeFolder()), settings, wb);

  location.setOtherPath(ini.GetString(kSetting, "DocDir", "", settings, wb));
  location.setMode(ini.GetInt(kSetting, "DocTp(0:My,1:Other)", 0, settings, wb) != 0 ? DataLocation::kOther
                                                                                     : DataLocation::kOwn);

  maxTempColor = static_cast<uint32_t>(ini.GetInt(kGraph, "最高温度色", 16711680, settings, wb));
  maxTempWidth = ini.GetInt(kGraph, "最高温度太さ", 3, settings, wb);
  energyColor = static_cast<uint32_t>(ini.GetInt(kGraph, "使用電力量色", 255, settings, wb));
  energyWidth = ini.GetInt(kGraph, "使用電力量太さ", 3, settings, wb);
  demandColor = static_cast<uint32_t>(ini.GetInt(kGraph, "デマンド色", 65280, settings, wb));

  noSerialPort = ini.GetInt(kMaintenance, "NoneRS", 0, settings, wb);
  commLog = ini.GetInt(kMaintenance, "CommLog", 0, settings, wb);
  printPreview = ini.GetInt(kMaintenance, "PRINT_PREVIEW", 0, settings, wb);

  corpName = ini.GetString(kReport, "CorpName", "", reportLabelFile(), wb);
  inputTitle1 = ini.GetString(kReport, "InputTitle1", "事業所", reportLabelFile(), wb);
}

void CAppSettings::Save(const std::string& installationId, const DataLocation& location) const {
  const WindowPlacement& p = windowPlacement;
  ini.WriteString(kWinInfo, "Size",
                  formatText(kPlacementFormat, p.flags, p.showCmd, p.minX, p.minY, p.maxX, p.maxY, p.left,
                             p.top, p.right, p.bottom));
  ini.WriteString(kSetting, "ProductId", installationId);
  ini.WriteInt(kSetting, "受信データの表示", showReceivedData);
  ini.WriteInt(kSetting, "過去データ読込月数", monthsToLoad);
  ini.WriteString(kSetting, "txtOutDir", csvOutDir);
  ini.WriteInt(kSetting, "IsOutExe", openAfterCsv);
  ini.WriteString(kSetting, "txtOutExe", csvViewer);
  ini.WriteString(kSetting, "txtValOutDir", rawOutDir);
  ini.WriteString(kSetting, "DatCopyDir", copyDir);
  ini.WriteString(kSetting, "DocDir", location.otherPath());
  ini.WriteInt(kSetting, "DocTp(0:My,1:Other)", location.isOwn() ? 0 : 1);
  ini.WriteUInt(kGraph, "最高温度色", maxTempColor);
  ini.WriteInt(kGraph, "最高温度太さ", maxTempWidth);
  ini.WriteUInt(kGraph, "使用電力量色", energyColor);
  ini.WriteInt(kGraph, "使用電力量太さ", energyWidth);
  ini.WriteUInt(kGraph, "デマンド色", demandColor);
}

void CAppSettings::WriteCheckSection(const std::string& fileVersion,
                                     const std::string& productVersion) const {
  ini.WriteString("check", "FileVersion", fileVersion);
  ini.WriteString("check", "ProductVersion", productVersion);
}

std::string CAppSettings::serialDevicePath(int port) const {
  std::string configured = ini.GetString(kSerialPorts, formatText("COM%d", port), "");
  return configured.empty() ? fixedPortPath(port) : configured;
}

DeviceDefaults CAppSettings::deviceDefaults() const {
  return DeviceDefaults{multiplierDefault,     primaryVoltageDefault,   secondaryVoltageDefault,
                        primaryCurrentDefault, secondaryCurrentDefault, pulseConstant};
}

}  // namespace pelnor
