// render: a view painted offscreen as the window paints it, saved as PNG.
#include <iostream>
#include <memory>

#include "cli/cli_environment.h"
#include "cli/commands.h"
#include "cli/gui_application.h"
#include "data/text.h"
#include "views/render.h"

namespace pelnor::cli {

namespace {

constexpr const char* kRenderUsage =
    "usage: pelnor-cli render [--root DIR] [--ini FILE] --device ID --date YYYY-MM|YYYY-MM-DD "
    "--view sheet|graph|report [--size WxH] --out FILE.png\n";

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
  std::optional<int32_t> device = deviceIdArg(deviceText);
  if (!device) return refuse("--device is a device ID (digits only)");
  std::optional<DateArg> when = dateArg(*dateText);
  if (!when) return refuse("--date is YYYY-MM or YYYY-MM-DD");
  const int mode = when->kind;
  const DateTime date = when->date;
  int width = 0, height = 0;
  char tail = 0;
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
  QImage image = renderView(history, registry, env.settings, *view, mode, date, QSize(width, height));
  if (!image.save(QString::fromStdString(*out), "PNG")) {
    std::cerr << "pelnor-cli render: cannot write " << *out << '\n';
    return 1;
  }
  return 0;
}

}  // namespace pelnor::cli
