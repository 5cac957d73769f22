// render: a view painted offscreen as the window paints it, saved as PNG.
#include <QGuiApplication>
#include <iostream>
#include <memory>

#include "cli/cli_environment.h"
#include "cli/commands.h"
#include "data/text.h"
#include "views/fonts.h"
#include "views/render.h"

namespace pelnor::cli {

namespace {

constexpr const char* kRenderUsage =
    "usage: pelnor-cli render [--root DIR] [--ini FILE] --device ID --date YYYY-MM|YYYY-MM-DD "
    "--view sheet|graph|report [--size WxH] --out FILE.png\n";

// Painting needs a GUI application; without a display it paints offscreen.
std::unique_ptr<QGuiApplication> makeGuiApplication() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  static int argc = 1;
  static char name[] = "pelnor-cli";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

int runRender(const Args& arguments) {
  Args args = arguments;
  CliEnvironment env(args);
  auto deviceText = takeOption(args, "--device");
  auto dateText = takeOption(args, "--date");
  auto viewText = takeOption(args, "--view");
  auto sizeText = takeOption(args, "--size").value_or("1600x1000");
  auto out = takeOption(args, "--out");
  if (!args.empty() || !deviceText || !dateText || !viewText || !out) {
    std::cerr << kRenderUsage;
    return kUsageError;
  }
  auto refuse = [](const std::string& why) {
    std::cerr << "pelnor-cli render: " << why << '\n' << kRenderUsage;
    return kUsageError;
  };
  std::optional<int32_t> device = intPrefixIfFits(*deviceText);
  if (!device || deviceText->find_first_not_of("0123456789") != std::string::npos) {
    return refuse("--device is a device ID (digits only)");
  }
  int year = 0, month = 0, day = 0, width = 0, height = 0;
  char tail = 0;
  const int fields = std::sscanf(dateText->c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail);
  const int mode = fields == 3 ? 1 : 2;
  DateTime date = DateTime::fromFields(year, month, mode == 1 ? day : 1);
  if ((fields != 2 && fields != 3) || !date.isValid()) return refuse("--date is YYYY-MM or YYYY-MM-DD");
  const std::pair<const char*, RenderedView> views[] = {
      {"sheet", RenderedView::Sheet}, {"graph", RenderedView::Graph}, {"report", RenderedView::Report}};
  std::optional<RenderedView> view;
  for (const auto& [name, kind] : views) {
    if (*viewText == name) view = kind;
  }
  if (!view) return refuse("--view is sheet, graph or report");
  if (std::sscanf(sizeText.c_str(), "%dx%d%c", &width, &height, &tail) != 2 || width < 1 || height < 1 ||
      width > 20000 || height > 20000) {
    return refuse("--size is WIDTHxHEIGHT");
  }

  DeviceRegistry registry(env.storage.defaults);
  if (!registry.load(env.location.root(), env.storage)) return 1;
  if (registry.positionOf(*device) < 0) {
    std::cerr << "pelnor-cli render: device " << *device << " is not registered\n";
    return kUsageError;
  }
  DeviceHistory history;
  history.loadPastMonths(*device, date, 1, env.historyEnv(registry));

  auto gui = makeGuiApplication();
  installFontSubstitutions();
  QImage image = renderView(history, registry, env.settings, *view, mode, date, QSize(width, height));
  if (!image.save(QString::fromStdString(*out), "PNG")) {
    std::cerr << "pelnor-cli render: cannot write " << *out << '\n';
    return 1;
  }
  return 0;
}

}  // namespace pelnor::cli
