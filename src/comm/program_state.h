// What the program works on for the whole run: settings, data location, device registry,
// loaded period, application log, how files are stored, and the way to the user. Qt-free:
// the window owns one (with its message boxes as the reporter) and hands it to the document,
// the main frame and the dialogs by reference.
#pragma once

#include <filesystem>
#include <string>

#include "comm/rotating_log.h"
#include "data/app_settings.h"
#include "data/data_location.h"
#include "data/device_history.h"
#include "data/device_registry.h"
#include "data/reporter.h"
#include "data/storage_context.h"

namespace pelnor {

// Points log at the application log of a program folder ("<baseName>_..." beside Pelnor.INI),
// with the rotation the window and pelnor-cli share.
void openApplicationLog(RotatingLog& log, const std::filesystem::path& programDir, const std::string& baseName);

struct ProgramState {
  // The program folder is the own data root; baseName names Pelnor.INI and the log.
  ProgramState(const std::filesystem::path& programDir, const std::string& baseName, Reporter& reporter);

  // After the settings were read: new records and files take their defaults from them.
  void applySettings();
  HistoryEnv historyEnv() const { return HistoryEnv{registry, location, storage, settings.pulseConstant}; }

  std::filesystem::path programDir;
  std::string baseName;
  Reporter& reporter;
  CAppSettings settings;
  DataLocation location;
  DeviceRegistry registry;
  DeviceHistory history;
  RotatingLog appLog;
  StorageContext storage;

  // What the past-data dialog remembers between its openings.
  int pastDevicePosition = 0;
  DateTime pastMonth = DateTime::now();
};

}  // namespace pelnor
