// How the core talks to a person: message boxes in the application, a scripted
// answerer in tests, stderr and flags in pelnor-cli.
#pragma once

#include <memory>
#include <string>

namespace pelnor {

// Said after a question of which change to keep that could not be asked.
inline constexpr const char* kKeptTheirs = "他のプログラムの変更を残しました";

// The person's side of a wait for a file that another program holds: told while it lives.
class HeldFileWait {
 public:
  virtual ~HeldFileWait() = default;
  // Lets the time until the next try pass; false once the person gave up waiting.
  virtual bool pause(int milliseconds) = 0;
};

class Reporter {
 public:
  enum class Answer { Yes, No, Cancel };
  // Whose change stays where this program and another changed the same thing.
  enum class Keep { Mine, Theirs };

  virtual ~Reporter() = default;
  virtual void info(const std::string& text) = 0;   // information icon
  virtual void error(const std::string& text) = 0;  // stop icon
  virtual void plain(const std::string& text) = 0;  // no icon, OK only
  virtual bool askYesNo(const std::string& text) = 0;
  virtual Answer askYesNoCancel(const std::string& text) = 0;
  // text shows both changes. Where nobody can be asked, the other program's change (what
  // the file holds) stays, and the user is told.
  virtual Keep askWhichToKeep(const std::string& text) {
    info(text + "\n" + kKeptTheirs);
    return Keep::Theirs;
  }
  virtual void beep() = 0;
  virtual void beginWait() {}
  virtual void endWait() {}
  // A wait for file (a path text), held by another program, begins; it ends at the
  // latest after limitMs. By default the wait cursor shows while the result lives.
  virtual std::unique_ptr<HeldFileWait> waitForHeldFile(const std::string& file, int limitMs);
};

// Says nothing and answers No: for work whose failures were reported already.
class SilentReporter : public Reporter {
 public:
  void info(const std::string&) override {}
  void error(const std::string&) override {}
  void plain(const std::string&) override {}
  bool askYesNo(const std::string&) override { return false; }
  Answer askYesNoCancel(const std::string&) override { return Answer::Cancel; }
  void beep() override {}
};

// Says nothing and answers No like SilentReporter, but a wait for a held file is still
// shown to the person, who may end it.
class QuietReporter : public SilentReporter {
 public:
  explicit QuietReporter(Reporter& person) : person_(person) {}
  std::unique_ptr<HeldFileWait> waitForHeldFile(const std::string& file, int limitMs) override {
    return person_.waitForHeldFile(file, limitMs);
  }

 private:
  Reporter& person_;
};

// Shows the wait cursor for as long as it lives.
class WaitCursor {
 public:
  explicit WaitCursor(Reporter& reporter) : reporter_(reporter) { reporter_.beginWait(); }
  ~WaitCursor() { reporter_.endWait(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  Reporter& reporter_;
};

}  // namespace pelnor
