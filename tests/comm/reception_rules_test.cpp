#include "comm/reception_rules.h"

#include <gtest/gtest.h>

#include "data/text.h"
#include "support/data_root_test.h"
#include "support/notification_print.h"

namespace pelnor {

void PrintTo(NextStep step, std::ostream* out) {
  *out << (step == NextStep::GoOn ? "GoOn" : step == NextStep::AskAndStore ? "AskAndStore" : "Stop");
}

namespace {

using namespace test;

constexpr const char* kId = "12";
constexpr const char* kReading = "24/01/31 10:00,0030,21";
constexpr const char* kLaterReading = "24/02/01 00:00,0005,-3.7";

Notification problem(const std::string& text) { return Notification::problem(text); }

// Device 12 is registered; the history starts empty, as a reception clears it.
class ReceptionRulesTest : public DataRootTest {
 protected:
  // Feeds the lines one by one; the step each one asked for, and every notification.
  std::vector<NextStep> feed(const std::vector<std::string>& lines) {
    std::vector<NextStep> steps;
    for (const std::string& line : lines) {
      RuleResult result = rules.take(parseReceptionLine(line));
      steps.push_back(result.next);
      notes.insert(notes.end(), result.notifications.begin(), result.notifications.end());
    }
    return steps;
  }

  ReceptionRules rules{history, registry, defaults};
  std::vector<Notification> notes;
};

TEST_F(ReceptionRulesTest, WhatEachLineMeans) {
  using enum NextStep;
  const Notification dataBeforeId =
      problem("機器ＩＤより前に計測データを受信しました，どの機器のデータか分からないため保存しません");
  const Notification afterEnd = problem("終了データの後に続くデータは読み込みませんでした");
  auto unregistered = [](const char* id) {
    return problem(formatText(
        "受信した機器ＩＤは登録されていません，先に「機器の設定」を行ってください，受信した機器ＩＤ = %s",
        id));
  };
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::vector<NextStep> steps;  // one a line
    std::vector<Notification> notes;
    bool failed;
    std::size_t readings;  // in the history afterwards
  } cases[] = {
      {"a transmission",
       {kId, kReading, kLaterReading, kEndLineText},
       {GoOn, GoOn, GoOn, AskAndStore},
       {},
       false,
       2},
      {"data before the ID", {kReading, kId}, {Stop, GoOn}, {dataBeforeId}, true, 0},
      {"end before the ID",
       {kEndLineText},
       {Stop},
       {problem("機器ＩＤを受信しないまま送信が終わりました，受信データは保存しません")},
       true,
       0},
      {"an unregistered ID", {"77"}, {Stop}, {unregistered("77")}, true, 0},
      {"an ID beyond 32 bits", {"4294967308"}, {Stop}, {unregistered("4294967308")}, true, 0},
      {"a second ID drops the readings before it",
       {kId, kReading, kLaterReading, kId, kReading},
       {GoOn, GoOn, GoOn, GoOn, GoOn},
       {problem("前の受信データ 2 件を破棄しました")},
       true,
       1},
      {"a second ID, unregistered",
       {kId, kReading, "77"},
       {GoOn, GoOn, Stop},
       {problem("前の受信データ 1 件を破棄しました"), unregistered("77")},
       true,
       0},
      {"a second ID before any reading", {kId, kId, kReading}, {GoOn, GoOn, GoOn}, {}, false, 1},
      {"an empty line before the ID", {"", kId}, {GoOn, GoOn}, {}, false, 0},
      {"an empty line after the ID",
       {kId, "", kReading},
       {GoOn, GoOn, GoOn},
       {problem("空データ受信")},
       false,
       1},
      {"noise before the ID", {"garbage", kId, kReading}, {GoOn, GoOn, GoOn}, {}, false, 1},
      {"a format error after the ID",
       {kId, "24/01/31 10:00,0030"},
       {GoOn, Stop},
       {problem("受信データのフォーマットが異常です")},
       true,
       0},
      {"an unrecognised date",
       {kId, "24/02/30 10:00,0001,20", kReading},
       {GoOn, GoOn, GoOn},
       {Notification::step("認識出来ないデータを受信しました，このデータは無視します")},
       false,
       1},
      {"another transmission after the end line",
       {kId, kReading, kEndLineText, "", kId},
       {GoOn, GoOn, AskAndStore, GoOn, Stop},
       {afterEnd},
       true,
       1},
      {"a reading after the end line",
       {kId, kReading, kEndLineText, kLaterReading},
       {GoOn, GoOn, AskAndStore, Stop},
       {afterEnd},
       true,
       1},
      {"only noise and end lines after the end line",
       {kId, kReading, kEndLineText, "garbage", "", kEndLineText},
       {GoOn, GoOn, AskAndStore, GoOn, GoOn, GoOn},
       {},
       false,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    history = DeviceHistory();
    notes.clear();
    rules.begin();
    EXPECT_EQ(feed(c.lines), c.steps);
    EXPECT_EQ(notes, c.notes);
    EXPECT_EQ(rules.failed(), c.failed);
    EXPECT_EQ(history.readingCount(), c.readings);
  }
}

// Readings go to the device of the ID line as the registry knows it, never to the one
// shown before; an unregistered ID leaves a device without a number behind.
TEST_F(ReceptionRulesTest, ReadingsBelongToTheReceivedDevice) {
  registerDevice(13, "鈴木");
  history.resetForDevice(12, registry);
  rules.begin();
  EXPECT_EQ(rules.receivedId(), DeviceRecord::kNoDevice);
  feed({"13", kReading, kLaterReading, kEndLineText});
  EXPECT_EQ(rules.receivedId(), 13);
  EXPECT_EQ(history.device.deviceId, 13);
  EXPECT_EQ(history.device.customerName, "鈴木");
  ASSERT_EQ(history.months.size(), 2u);
  EXPECT_EQ(history.months[0].days[30].readings, (std::vector<Reading>{{10, 0, 30, 21}}));
  EXPECT_EQ(history.months[1].days[0].readings, (std::vector<Reading>{{0, 0, 5, -3}}));
  EXPECT_EQ(rules.lastReadingTime(), DateTime::fromFields(2024, 2, 1));

  rules.begin();
  feed({"77"});
  EXPECT_EQ(rules.receivedId(), 77);
  EXPECT_EQ(history.device.deviceId, DeviceRecord::kNoDevice);
  EXPECT_TRUE(history.months.empty());
}

// A new reception forgets the last one's ID and failure, but not when its last reading was.
TEST_F(ReceptionRulesTest, ANewReceptionStartsWithoutAnId) {
  rules.begin();
  feed({kId, "24/03/15 12:30,0001,20", "24/01/31 10:00,0030"});
  ASSERT_TRUE(rules.failed());

  rules.begin();
  EXPECT_FALSE(rules.failed());
  EXPECT_EQ(rules.take(parseReceptionLine(kReading)).next, NextStep::Stop);
  EXPECT_EQ(rules.lastReadingTime(), DateTime::fromFields(2024, 3, 15, 12, 30));
  rules.readingsDeclined();
  EXPECT_EQ(rules.lastReadingTime(), DateTime::fromFields(2024, 3, 1));
}

}  // namespace
}  // namespace pelnor
