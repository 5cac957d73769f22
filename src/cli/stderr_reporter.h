// The command line's way to tell and ask: messages on stderr, answers from flags or
// from the terminal, a wait for a file another program holds said once.
#pragma once

#include <atomic>
#include <optional>

#include "data/reporter.h"

namespace pelnor::cli {

class StderrReporter : public Reporter {
 public:
  // With a fixed answer every question is answered so; without one it is asked on stdin.
  // A question that cannot be asked is answered No, the safe answer, and remembered:
  // the command then ends with a usage error instead of a silent No.
  explicit StderrReporter(std::optional<bool> fixedAnswer = std::nullopt) : fixedAnswer_(fixedAnswer) {}

  void info(const std::string& text) override;
  void error(const std::string& text) override;
  void plain(const std::string& text) override;
  bool askYesNo(const std::string& text) override;
  Answer askYesNoCancel(const std::string& text) override;
  // Asked on the terminal only: --yes and --no answer yes/no questions, not this one, and
  // without a terminal the other program's change stays (said on stderr).
  Keep askWhichToKeep(const std::string& text) override;
  void beep() override {}
  // Says once which file is waited for and for how long at most; nothing can end it early.
  std::unique_ptr<HeldFileWait> waitForHeldFile(const std::string& file, int limitMs) override;

  int messageCount() const { return messageCount_; }
  // Standard input carries the command's data: no question may be asked on it.
  void noTerminal() { noTerminal_ = true; }
  // A question came that had no fixed answer and could not be asked (standard input
  // carries data or is at its end); it was answered No.
  bool unanswered() const { return unanswered_; }

 private:
  std::optional<bool> fixedAnswer_;
  int messageCount_ = 0;
  std::atomic<bool> noTerminal_ = false;
  std::atomic<bool> unanswered_ = false;
};

}  // namespace pelnor::cli
