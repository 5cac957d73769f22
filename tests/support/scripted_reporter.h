// A Reporter for tests: records every text and answers questions from a list.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "data/reporter.h"

namespace pelnor::test {

class ScriptedReporter : public Reporter {
 public:
  struct Message {
    std::string kind;  // "info", "error", "plain", "ask", "askCancel", "keep"
    std::string text;
  };

  void info(const std::string& text) override { record("info", text); }
  void error(const std::string& text) override { record("error", text); }
  void plain(const std::string& text) override { record("plain", text); }
  bool askYesNo(const std::string& text) override {
    record("ask", text);
    return nextAnswer() == Answer::Yes;
  }
  Answer askYesNoCancel(const std::string& text) override {
    record("askCancel", text);
    return nextAnswer();
  }
  // Yes in the list keeps mine, anything else theirs.
  Keep askWhichToKeep(const std::string& text) override {
    record("keep", text);
    return nextAnswer() == Answer::Yes ? Keep::Mine : Keep::Theirs;
  }
  void beep() override {
    std::lock_guard lock(mutex_);
    ++beeps;
  }

  void answer(Answer a) {
    std::lock_guard lock(mutex_);
    answers_.push_back(a);
  }
  void answer(Keep k) { answer(k == Keep::Mine ? Answer::Yes : Answer::No); }
  std::vector<Message> messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const Message& m : messages()) out.push_back(m.text);
    return out;
  }

  int beeps = 0;

 private:
  void record(const char* kind, const std::string& text) {
    std::lock_guard lock(mutex_);
    messages_.push_back({kind, text});
  }
  Answer nextAnswer() {
    std::lock_guard lock(mutex_);
    if (answers_.empty()) return Answer::No;
    Answer a = answers_.front();
    answers_.pop_front();
    return a;
  }

  mutable std::mutex mutex_;
  std::deque<Answer> answers_;
  std::vector<Message> messages_;
};

}  // namespace pelnor::test
