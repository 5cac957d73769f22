// The program's state with the window's way to the user: message boxes and the wait cursor.
#pragma once

#include "comm/program_state.h"
#include "ui/gui_reporter.h"

namespace pelnor {

// Made before the state, which keeps a reference to it.
struct GuiReporterHolder {
  GuiReporter guiReporter;
};

struct AppContext : GuiReporterHolder, ProgramState {
  explicit AppContext(const std::filesystem::path& programDir, const std::string& baseName = "Pelnor")
      : ProgramState(programDir, baseName, guiReporter) {}
};

}  // namespace pelnor
