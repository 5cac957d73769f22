#include "cli/stderr_reporter.h"

#include <iostream>
#include <string>

#include "data/held_file_retry.h"

namespace pelnor::cli {

void StderrReporter::info(const std::string& text) {
  ++messageCount_;
  std::cerr << text << '\n';
}
void StderrReporter::error(const std::string& text) { info(text); }
void StderrReporter::plain(const std::string& text) { info(text); }

bool StderrReporter::askYesNo(const std::string& text) {
  std::cerr << text << '\n';
  if (fixedAnswer_) {
    std::cerr << (*fixedAnswer_ ? "-> はい" : "-> いいえ") << '\n';
    return *fixedAnswer_;
  }
  for (;;) {
    std::string answer;
    if (noTerminal_) {
      unanswered_ = true;
      return false;
    }
    std::cerr << "[y/n] " << std::flush;
    if (!std::getline(std::cin, answer)) {
      std::cerr << '\n';
      unanswered_ = true;
      return false;
    }
    if (answer == "y" || answer == "Y" || answer == "yes") return true;
    if (answer == "n" || answer == "N" || answer == "no") return false;
  }
}

Reporter::Keep StderrReporter::askWhichToKeep(const std::string& text) {
  std::cerr << text << '\n';
  while (!fixedAnswer_ && !noTerminal_) {
    std::cerr << "[m: 自分の変更を残す / t: 他のプログラムの変更を残す] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
      std::cerr << '\n';
      break;
    }
    if (answer == "m" || answer == "M") return Keep::Mine;
    if (answer == "t" || answer == "T") return Keep::Theirs;
  }
  std::cerr << "-> " << kKeptTheirs << '\n';
  return Keep::Theirs;
}

std::unique_ptr<HeldFileWait> StderrReporter::waitForHeldFile(const std::string& file, int limitMs) {
  std::cerr << heldFileWaitText(file, limitMs) << std::endl;
  return Reporter::waitForHeldFile(file, limitMs);
}

Reporter::Answer StderrReporter::askYesNoCancel(const std::string& text) {
  return askYesNo(text) ? Answer::Yes : Answer::No;
}

}  // namespace pelnor::cli
