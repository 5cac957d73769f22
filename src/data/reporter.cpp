#include "data/reporter.h"

#include <chrono>
#include <thread>

namespace pelnor {

namespace {

// Nobody can end it early: the wait cursor while it lasts.
class CursorWait : public HeldFileWait {
 public:
  explicit CursorWait(Reporter& reporter) : cursor_(reporter) {}
  bool pause(int milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return true;
  }

 private:
  WaitCursor cursor_;
};

}  // namespace

std::unique_ptr<HeldFileWait> Reporter::waitForHeldFile(const std::string&, int) {
  return std::make_unique<CursorWait>(*this);
}

}  // namespace pelnor
