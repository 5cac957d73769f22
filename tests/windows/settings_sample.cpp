// Writes Pelnor.INI into the folder given, with the same values in every build, so that
// scripts/test-windows can compare the bytes the Linux and the Windows build write.
#include <cstdio>

#include "data/app_settings.h"
#include "data/data_location.h"
#include "data/system.h"

int main(int argc, char** argv) {
  using namespace pelnor;
  const std::vector<std::string> args = commandLineArguments(argc, argv);
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: settings_sample FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = pathFromText(args[0]);
  CAppSettings settings;
  settings.Open(folder, "Pelnor");
  DataLocation location(folder);
  // The first start writes every key with its default; those that name places of this
  // machine are then set to the same text on both.
  settings.Load("sample-installation", location);
  settings.windowPlacement = WindowPlacement{44, 0, 1, -1, -1, -1, -1, 20, 30, 1620, 1030};
  settings.monthsToLoad = 3;
  settings.csvOutDir = "D:\\需要\\CSV";
  settings.csvViewer = "メモ帳.exe";
  settings.rawOutDir = "D:\\需要\\生データ";
  settings.copyDir = "E:\\控え";
  settings.maxTempColor = 0x000000FFu;
  settings.energyWidth = 5;
  location.setOtherPath("\\\\サーバー\\共有\\ペルノー");
  settings.Save("sample-installation", location);
  settings.WriteCheckSection("1.0.0.1", "1.0.0.1");
  return 0;
}
