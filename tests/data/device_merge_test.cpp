#include "data/device_merge.h"

#include <gtest/gtest.h>

#include <functional>

#include "data/text.h"
#include "support/scripted_reporter.h"

namespace pelnor {
namespace {

using namespace test;
using Keep = Reporter::Keep;

DeviceRecord device(int32_t id, const char* name, int vctRow = 0) {
  DeviceRecord r = DeviceRecord::makeNew({});
  r.deviceId = id;
  r.customerName = name;
  r.multiplier = VctTable::kRows[vctRow].multiplier;
  r.primaryCurrent = VctTable::kRows[vctRow].primaryCurrent;
  return r;
}

// Devices as "ID:name:VCT current[:contract number]", then the port and baud rate and the
// default office.
std::string summary(const DeviceRegistry& r) {
  std::string out;
  for (int i = 0; i < r.count(); ++i) {
    const DeviceRecord& d = r.deviceAt(i);
    out += formatText("%d:%s:%d", d.deviceId, d.customerName.c_str(), d.primaryCurrent);
    if (!d.report.contractNumber.empty()) out += ":" + d.report.contractNumber.str();
    out += " ";
  }
  return out + formatText("/ COM%d %d / %s", r.commSettings[0], r.commSettings[1], r.report.office.c_str());
}

void rename(DeviceRegistry& r, int32_t id, const char* name) {
  DeviceRecord d;
  ASSERT_TRUE(r.find(id, d));
  d.customerName = name;
  r.put(d);
}

void chooseVct(DeviceRegistry& r, int32_t id, int row) {
  DeviceRecord d;
  ASSERT_TRUE(r.find(id, d));
  d.multiplier = VctTable::kRows[row].multiplier;
  d.primaryCurrent = VctTable::kRows[row].primaryCurrent;
  r.put(d);
}

void remove(DeviceRegistry& r, int32_t id) { r.removeAt(r.positionOf(id)); }

KeepDecision askingThrough(Reporter& reporter) {
  return [&reporter](const std::string& question) { return reporter.askWhichToKeep(question); };
}

constexpr const char* kBase = "5:ABC:5 12:山田:5 / COM1 38400 / ";
constexpr const char* kWhich = "\nどちらの変更を残しますか";

// This program's changes (ours) and another program's (theirs), both since base, merged:
// what only one side changed stays without a word; where both changed one thing the
// scripted answer decides, and the question shows both values.
TEST(DeviceMerge, FieldByFieldAndAskedWhereBothChangedOneThing) {
  using Edit = std::function<void(DeviceRegistry&)>;
  struct Case {
    const char* what;
    Edit ours, theirs;
    std::optional<Keep> answer;  // none: no question may be asked
    std::string merged;
    std::string question = {};
  } cases[] = {
      {"nobody changed anything", [](DeviceRegistry&) {}, [](DeviceRegistry&) {}, {}, kBase},
      {"we rename 12, they choose its VCT",
       [](DeviceRegistry& r) { rename(r, 12, "ours"); },
       [](DeviceRegistry& r) { chooseVct(r, 12, 1); },
       {},
       "5:ABC:5 12:ours:10 / COM1 38400 / "},
      {"we enter 12's contract number, they rename it",
       [](DeviceRegistry& r) {
         DeviceRecord d;
         r.find(12, d);
         d.report.contractNumber = "K-1";
         r.put(d);
       },
       [](DeviceRegistry& r) { rename(r, 12, "theirs"); },
       {},
       "5:ABC:5 12:theirs:5:K-1 / COM1 38400 / "},
      {"both rename 12 alike",
       [](DeviceRegistry& r) { rename(r, 12, "same"); },
       [](DeviceRegistry& r) { rename(r, 12, "same"); },
       {},
       "5:ABC:5 12:same:5 / COM1 38400 / "},
      {"both rename 12 (keep mine); our VCT change stays either way",
       [](DeviceRegistry& r) {
         rename(r, 12, "ours");
         chooseVct(r, 12, 2);
       },
       [](DeviceRegistry& r) { rename(r, 12, "theirs"); }, Keep::Mine, "5:ABC:5 12:ours:15 / COM1 38400 / ",
       "機器ＩＤ 12 "
       "の設定は他のプログラムでも変更されました\n需要家名\n　自分の変更：ours\n　他のプログラムの変更："
       "theirs"},
      {"both rename 12 (keep theirs); our VCT change stays either way",
       [](DeviceRegistry& r) {
         rename(r, 12, "ours");
         chooseVct(r, 12, 2);
       },
       [](DeviceRegistry& r) { rename(r, 12, "theirs"); }, Keep::Theirs,
       "5:ABC:5 12:theirs:15 / COM1 38400 / ",
       "機器ＩＤ 12 "
       "の設定は他のプログラムでも変更されました\n需要家名\n　自分の変更：ours\n　他のプログラムの変更："
       "theirs"},
      {"we delete 12, they leave it",
       [](DeviceRegistry& r) { remove(r, 12); },
       [](DeviceRegistry&) {},
       {},
       "5:ABC:5 / COM1 38400 / "},
      {"they delete 12, we leave it",
       [](DeviceRegistry&) {},
       [](DeviceRegistry& r) { remove(r, 12); },
       {},
       "5:ABC:5 / COM1 38400 / "},
      {"we delete 12, they rename it (keep mine)", [](DeviceRegistry& r) { remove(r, 12); },
       [](DeviceRegistry& r) { rename(r, 12, "theirs"); }, Keep::Mine, "5:ABC:5 / COM1 38400 / ",
       "機器ＩＤ 12 "
       "は削除しましたが、他のプログラムで変更されました\n自分の変更を残すと、この機器は削除されます\n"
       "需要家名\n　自分の変更：（削除）\n　他のプログラムの変更：theirs"},
      {"we delete 12, they rename it (keep theirs)", [](DeviceRegistry& r) { remove(r, 12); },
       [](DeviceRegistry& r) { rename(r, 12, "theirs"); }, Keep::Theirs,
       "5:ABC:5 12:theirs:5 / COM1 38400 / ",
       "需要家名\n　自分の変更：（削除）\n　他のプログラムの変更：theirs"},
      {"they delete 12, we choose its VCT (keep mine)", [](DeviceRegistry& r) { chooseVct(r, 12, 3); },
       [](DeviceRegistry& r) { remove(r, 12); }, Keep::Mine, "5:ABC:5 12:山田:20 / COM1 38400 / ",
       "機器ＩＤ 12 "
       "は他のプログラムで削除されました\n自分の変更を残すと、この機器を登録し直します（削除された計測デー"
       "タは戻りません）\nVCT（一次電流[A]）\n　自分の変更：20\n　他のプログラムの変更：（削除）"},
      {"they delete 12, we choose its VCT (keep theirs)", [](DeviceRegistry& r) { chooseVct(r, 12, 3); },
       [](DeviceRegistry& r) { remove(r, 12); }, Keep::Theirs, "5:ABC:5 / COM1 38400 / ",
       "VCT（一次電流[A]）\n　自分の変更：20\n　他のプログラムの変更：（削除）"},
      {"both add 20 alike",
       [](DeviceRegistry& r) { r.put(device(20, "new")); },
       [](DeviceRegistry& r) { r.put(device(20, "new")); },
       {},
       "5:ABC:5 12:山田:5 20:new:5 / COM1 38400 / "},
      {"both add 20 differently (keep mine)", [](DeviceRegistry& r) { r.put(device(20, "ours", 1)); },
       [](DeviceRegistry& r) { r.put(device(20, "theirs")); }, Keep::Mine,
       "5:ABC:5 12:山田:5 20:ours:10 / COM1 38400 / ",
       "機器ＩＤ 20 "
       "は他のプログラムでも登録されました\n需要家名\n　自分の変更：ours\n　他のプログラムの変更：theirs\n"
       "VCT（一次電流[A]）\n　自分の変更：10\n　他のプログラムの変更：5"},
      {"both add 20 differently (keep theirs)", [](DeviceRegistry& r) { r.put(device(20, "ours", 1)); },
       [](DeviceRegistry& r) { r.put(device(20, "theirs")); }, Keep::Theirs,
       "5:ABC:5 12:山田:5 20:theirs:5 / COM1 38400 / ", "機器ＩＤ 20 は他のプログラムでも登録されました"},
      {"we add 7 and delete 5, they add 30",
       [](DeviceRegistry& r) {
         r.put(device(7, "ours"));
         remove(r, 5);
       },
       [](DeviceRegistry& r) { r.put(device(30, "theirs")); },
       {},
       "7:ours:5 12:山田:5 30:theirs:5 / COM1 38400 / "},
      {"we change the baud rate, they the port",
       [](DeviceRegistry& r) { r.commSettings[1] = 9600; },
       [](DeviceRegistry& r) { r.commSettings[0] = 3; },
       {},
       "5:ABC:5 12:山田:5 / COM3 9600 / "},
      {"both change the baud rate and the parity (keep theirs)",
       [](DeviceRegistry& r) {
         r.commSettings[1] = 9600;
         r.commSettings[4] = 1;
       },
       [](DeviceRegistry& r) {
         r.commSettings[1] = 19200;
         r.commSettings[4] = 2;
       },
       Keep::Theirs, "5:ABC:5 12:山田:5 / COM1 19200 / ",
       "通信設定は他のプログラムでも変更されました\nボーレイト\n　自分の変更：9600\n　他のプログラムの変更：1"
       "9200\n"
       "パリティチェック\n　自分の変更：奇数\n　他のプログラムの変更：偶数"},
      {"both enter the default office (keep mine)", [](DeviceRegistry& r) { r.report.office = "本店"; },
       [](DeviceRegistry& r) { r.report.office = "支店"; }, Keep::Mine,
       "5:ABC:5 12:山田:5 / COM1 38400 / 本店",
       "報告書の既定の入力内容は他のプログラムでも変更されました\n事業所\n　自分の変更：本店\n　他のプログラ"
       "ムの変更："
       "支店"},
  };
  DeviceRegistry base;
  base.put(device(5, "ABC"));
  base.put(device(12, "山田"));
  ASSERT_EQ(summary(base), kBase);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeviceRegistry mine = base, theirs = base;
    c.ours(mine);
    c.theirs(theirs);
    ScriptedReporter reporter;
    if (c.answer) reporter.answer(*c.answer);
    EXPECT_EQ(summary(mergeRegistries(base, mine, theirs, askingThrough(reporter))), c.merged);
    const auto messages = reporter.messages();
    if (!c.answer) {
      EXPECT_TRUE(messages.empty());
      continue;
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, "keep");
    EXPECT_NE(messages[0].text.find(c.question), std::string::npos) << messages[0].text;
    EXPECT_TRUE(messages[0].text.ends_with(kWhich)) << messages[0].text;
  }
}

// A question per device in ID order, each answered for its own device; what nobody asked
// about merges as before.
TEST(DeviceMerge, EachConflictingDeviceIsAskedOnItsOwn) {
  DeviceRegistry base;
  for (int32_t id : {1, 2, 3}) base.put(device(id, "base"));
  DeviceRegistry mine = base, theirs = base;
  for (int32_t id : {1, 2, 3}) rename(mine, id, "ours");
  rename(theirs, 1, "theirs");
  rename(theirs, 3, "theirs");
  ScriptedReporter reporter;
  reporter.answer(Keep::Theirs);
  reporter.answer(Keep::Mine);
  EXPECT_EQ(summary(mergeRegistries(base, mine, theirs, askingThrough(reporter))),
            "1:theirs:5 2:ours:5 3:ours:5 / COM1 38400 / ");
  const auto texts = reporter.texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_TRUE(texts[0].starts_with("機器ＩＤ 1 の設定")) << texts[0];
  EXPECT_TRUE(texts[1].starts_with("機器ＩＤ 3 の設定")) << texts[1];
}

// A reporter that cannot ask (a worker, a silent caller) keeps the file's value and says so.
TEST(DeviceMerge, WithoutSomeoneToAskTheOtherProgramsChangeStays) {
  class TellingOnly : public Reporter {
   public:
    void info(const std::string& text) override { told.push_back(text); }
    void error(const std::string&) override {}
    void plain(const std::string&) override {}
    bool askYesNo(const std::string&) override { return true; }
    Answer askYesNoCancel(const std::string&) override { return Answer::Yes; }
    void beep() override {}
    std::vector<std::string> told;
  } reporter;
  DeviceRegistry base;
  base.put(device(12, "base"));
  DeviceRegistry mine = base, theirs = base;
  rename(mine, 12, "ours");
  rename(theirs, 12, "theirs");
  EXPECT_EQ(summary(mergeRegistries(base, mine, theirs, askingThrough(reporter))),
            "12:theirs:5 / COM1 38400 / ");
  ASSERT_EQ(reporter.told.size(), 1u);
  EXPECT_TRUE(reporter.told[0].ends_with("どちらの変更を残しますか\n他のプログラムの変更を残しました"))
      << reporter.told[0];
}

}  // namespace
}  // namespace pelnor
