// Pelnor: collects, stores, shows and prints the readings of demand monitoring devices.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/pelnor_app.h"

int main(int argc, char** argv) {
  // Answered before Qt starts: no display is needed to ask.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("Pelnor %s\n", PELNOR_VERSION_TEXT);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::printf(
        "usage: Pelnor [--help | --version]\n"
        "Starts the window: collects, shows and prints the readings of power demand monitoring\n"
        "devices. Its data lives in its own data root (see man Pelnor); pelnor-cli works on the\n"
        "same data without a window.\n");
    return 0;
  }
  QApplication app(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral("pelnor"));
  return pelnor::CPelnorApp::run(app);
}
