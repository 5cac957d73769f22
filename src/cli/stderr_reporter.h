// The command line's way to tell and ask: messages on stderr, answers from flags or
// from the terminal.
#pragma once

#include <optional>

#include "data/reporter.h"

namespace pelnor::cli {

class StderrReporter : public Reporter {
 public:
  // With a fixed answer every question is answered so; without one it is asked on stdin.
  explicit StderrReporter(std::optional<bool> fixedAnswer = std::nullopt) : fixedAnswer_(fixedAnswer) {}

  void info(const std::string& text) override;
  void error(const std::string& text) override;
  void plain(const std::string& text) override;
  bool askYesNo(const std::string& text) override;
  Answer askYesNoCancel(const std::string& text) override;
  void beep() override {}

  int messageCount() const { return messageCount_; }

 private:
  std::optional<bool> fixedAnswer_;
  int messageCount_ = 0;
};

}  // namespace pelnor::cli
