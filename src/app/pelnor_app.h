// Start-up and shutdown of the window program.
#pragma once

class QApplication;

namespace pelnor {

class CPelnorApp {
 public:
  // Runs the program in app; returns the exit status.
  static int run(QApplication& app);
};

}  // namespace pelnor
