// render and print: the views painted offscreen as the window paints them, into a PNG or
// into the pages of a PDF. The only commands that need Qt.
#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/cli_environment.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/gui_application.h"
#include "cli/output_target.h"
#include "data/text.h"
#include "views/print_pages.h"
#include "views/render.h"

namespace pelnor::cli {

namespace {

// The picture or document is made in memory and saved as the text exports are, so a
// device, a FIFO or a link given as the output is written the same way.
bool saveOutput(const CliEnvironment& env, const char* command, const std::string& out,
                const QByteArray& bytes) {
  return writeOutput(out, std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())), env.storage,
                     command);
}

}  // namespace

int runRender(const RenderOptions& options) {
  CliEnvironment env(options.common);
  auto refuse = [](const std::string& why) { return usageError("render", why); };
  std::optional<int32_t> device = deviceIdArg(options.device);
  if (!device) return refuse("--device is a device ID (digits only)");
  std::optional<DateArg> when = periodArg(options.kind, options.date);
  if (!when) return refuse("--date is YYYY-MM or YYYY-MM-DD (a day with --kind day)");
  const DateTime date = when->date;
  int width = 0, height = 0;
  char tail = 0;
  const std::pair<const char*, ViewKind> views[] = {
      {"sheet", ViewKind::Sheet}, {"graph", ViewKind::Graph}, {"report", ViewKind::Report}};
  std::optional<ViewKind> view;
  for (const auto& [name, kind] : views) {
    if (options.view == name) view = kind;
  }
  if (!view) return refuse("--view is sheet, graph or report");
  if (std::sscanf(options.size.c_str(), "%dx%d%c", &width, &height, &tail) != 2 || width < 1 || height < 1 ||
      width > 20000 || height > 20000) {
    return refuse("--size is WIDTHxHEIGHT");
  }

  std::optional<LoadedDevice> loaded = loadDevice(env, *device, firstMonthOf(*when), date, "render");
  if (!loaded) return kUsageError;

  auto gui = makeGuiApplication();
  QImage image = renderView(loaded->history, env.historyEnv(loaded->registry), env.settings, *view,
                            when->period, date, QSize(width, height));
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) {
    std::cerr << "pelnor-cli render: cannot make the picture\n";
    return 1;
  }
  return saveOutput(env, "render", options.out, png) ? 0 : 1;
}

int runPrint(const PrintOptions& options) {
  CliEnvironment env(options.common);
  auto device = deviceIdArg(options.device);
  if (!device) return usageError("print", "--device is a device ID (digits only)");
  auto start = dateArg(options.from);
  auto end = dateArg(options.to);
  if (!start || !end) return usageError("print", "--from and --to are dates YYYY-MM-DD (or YYYY-MM)");
  // The command line lets only day, month and year through.
  const Period period = periodOfKind(options.kind).value_or(Period::Month);
  PrintRange range{period, start->date, end->date, options.report && period == Period::Month};
  if (pageCount(range) <= 0) return usageError("print", "--from must not be after --to");

  std::optional<LoadedDevice> loaded =
      loadDevice(env, *device, firstMonthOf(DateArg{period, range.start}), range.end, "print");
  if (!loaded) return kUsageError;
  auto gui = makeGuiApplication();
  QByteArray document;
  QBuffer buffer(&document);
  buffer.open(QIODevice::WriteOnly);
  std::optional<QPdfWriter> writer(std::in_place, &buffer);
  writer->setPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10)));
  writer->setResolution(300);
  writer->setTitle("Pelnor");
  ViewContents contents;
  const PageSource source{loaded->history, env.historyEnv(loaded->registry), env.settings};
  // The first page keeps the scales in use: here those chosen for it.
  contents.select(loaded->history, source.env, env.settings, range.period, 0, range.start, true, true);
  if (!printPages(*writer, range, contents, source)) {
    std::cerr << "pelnor-cli print: cannot make the pages\n";
    return 1;
  }
  writer.reset();  // the document is complete only once its writer ends
  if (!saveOutput(env, "print", options.pdf, document)) return 1;
  // On standard output the document stands alone.
  (isStandardStream(options.pdf) ? std::cerr : std::cout)
      << pageCount(range) << " pages written to " << options.pdf << '\n';
  return 0;
}

}  // namespace pelnor::cli
