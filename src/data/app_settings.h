// The user's settings, read once at start-up from Pelnor.INI beside the program and
// written back once at exit.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "data/device_record.h"
#include "data/ini_file.h"

namespace pelnor {

class DataLocation;

struct WindowPlacement {
  uint32_t length = 44;
  uint32_t flags = 0;
  uint32_t showCmd = 0;
  int32_t minX = 0, minY = 0, maxX = 0, maxY = 0;
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class CAppSettings {
 public:
  // Opens the settings of the program at programDir/baseName (base name without extension).
  void Open(const std::filesystem::path& programDir, const std::string& baseName) {
    ini.Open(programDir, baseName);
  }
  // Reads every key, writing missing ones back with their defaults. installationId is
  // the identifier of this operating-system installation (readInstallationId()).
  void Load(const std::string& installationId, DataLocation& location);
  void Save(const std::string& installationId, const DataLocation& location) const;
  // The version stamp written at every start.
  void WriteCheckSection(const std::string& fileVersion, const std::string& productVersion) const;

  // The device path of port COMn: the SerialPorts section (empty when its entry is empty),
  // else the fixed rule.
  std::string serialDevicePath(int port) const;

  // What new device records start from: the ratings with the pulse constant.
  DeviceDefaults deviceDefaults() const;
  std::filesystem::path reportLabelFile() const { return ini.ProgramDir() / "system.ini"; }

  CIniFile ini;

  WindowPlacement windowPlacement;
  int placementValid = 0;
  int installationChanged = 0;
  // The ratings a new device record starts from; its pulse constant is pulseConstant.
  DeviceDefaults newDeviceRatings;
  int32_t pulseConstant = kDeviceDefaults.pulseConstant;
  uint32_t maxTempColor = 16711680;
  uint32_t energyColor = 255;
  uint32_t demandColor = 65280;
  int32_t maxTempWidth = 3;
  int32_t energyWidth = 3;
  std::string csvOutDir;
  int32_t openAfterCsv = 1;
  std::string csvViewer;
  std::string rawOutDir;
  std::string copyDir;
  int32_t showReceivedData = 1;
  int32_t monthsToLoad = 1;
  int32_t noSerialPort = 0;
  int32_t commLog = 0;
  int32_t printPreview = 0;
  std::string corpName;
  std::string inputTitle1;

  // Any maintenance switch on puts the program in debug mode.
  bool debugMode() const { return noSerialPort != 0 || commLog != 0 || printPreview != 0; }
};

// The device path of COMn by the fixed rule: COM1-4 /dev/ttyS0-3, COM5-12 /dev/ttyUSB0-7,
// COM13-20 /dev/ttyACM0-7, empty for other numbers; on Windows "\\.\COMn" itself.
std::string fixedPortPath(int port);

// The identifier of this operating-system installation (/etc/machine-id; on Windows the
// registry's ProductId); empty when it cannot be read.
std::string readInstallationId();
// The same from a file that holds it on its first line.
std::string readInstallationId(const std::filesystem::path& file);

// The user's home folder (the stand-in for a drive root).
std::filesystem::path homeFolder();

}  // namespace pelnor
