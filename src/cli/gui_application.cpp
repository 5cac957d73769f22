#include "cli/gui_application.h"

#include "views/fonts.h"

namespace pelnor::cli {

std::unique_ptr<QGuiApplication> makeGuiApplication() {
#ifndef _WIN32
  // Without a display the pictures are painted all the same (Windows always has a desktop).
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
#endif
  static int argc = 1;
  static char name[] = "pelnor-cli";
  static char* argv[] = {name, nullptr};
  auto app = std::make_unique<QGuiApplication>(argc, argv);
  installFontSubstitutions();
  return app;
}

}  // namespace pelnor::cli
