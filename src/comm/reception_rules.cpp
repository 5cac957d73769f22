#include "comm/reception_rules.h"

#include "data/text.h"

namespace pelnor {

namespace {

constexpr const char* kDataBeforeId =
    "機器ＩＤより前に計測データを受信しました，どの機器のデータか分からないため保存しません";
constexpr const char* kEndBeforeId = "機器ＩＤを受信しないまま送信が終わりました，受信データは保存しません";
constexpr const char* kDropped = "前の受信データ %lu 件を破棄しました";
constexpr const char* kUnregistered =
    "受信した機器ＩＤは登録されていません，先に「機器の設定」を行ってください，受信した機器ＩＤ = %s";
constexpr const char* kUnrecognisedDateText = "認識出来ないデータを受信しました，このデータは無視します";
constexpr const char* kEmptyLineText = "空データ受信";
constexpr const char* kFormatErrorText = "受信データのフォーマットが異常です";
constexpr const char* kAfterEnd = "終了データの後に続くデータは読み込みませんでした";

// The ID as the message shows it: its value, or the digits themselves when they are
// too many for a number.
std::string idText(const ParsedLine& line) {
  return line.deviceId >= 0 ? formatText("%d", line.deviceId) : line.idDigits;
}

RuleResult notice(Notification notification) { return {{std::move(notification)}, NextStep::GoOn}; }

}  // namespace

ReceptionRules::ReceptionRules(DeviceHistory& history, const DeviceRegistry& registry,
                               const DeviceDefaults& defaults)
    : history_(history), registry_(registry), defaults_(defaults) {}

void ReceptionRules::begin() {
  idReceived_ = false;
  endReceived_ = false;
  failed_ = false;
  receivedId_ = DeviceRecord::kNoDevice;
}

RuleResult ReceptionRules::fail(Notification problem) {
  failed_ = true;
  return {{std::move(problem)}, NextStep::Stop};
}

RuleResult ReceptionRules::take(const ParsedLine& line) {
  // A file may hold another transmission after its end line (two files joined): that is
  // not read, and the user must hear of it.
  if (endReceived_) {
    if (line.code == kIdLine || line.code == kDataLine) return fail(Notification::problem(kAfterEnd));
    return {};
  }
  // Readings belong to the device of an ID line of this reception, never to the device
  // that happened to be shown before.
  switch (line.code) {
    case kDataLine:
      if (!idReceived_) return fail(Notification::problem(kDataBeforeId));
      lastReadingTime_ = line.when;
      history_.addReading(line.when, line.pulseCount, line.temperature, defaults_);
      return {};
    case kIdLine:
      return takeIdLine(line);
    case kEndLine:
      if (!idReceived_) return fail(Notification::problem(kEndBeforeId));
      endReceived_ = true;
      return {{}, NextStep::AskAndStore};
    case kUnrecognisedDate:
      return notice(Notification::step(kUnrecognisedDateText));
    case kEmptyLine:
      if (idReceived_) return notice(Notification::problem(kEmptyLineText));
      return {};
    default:  // format error; before the ID line it is taken for noise on the line
      if (idReceived_) return fail(Notification::problem(kFormatErrorText));
      return {};
  }
}

RuleResult ReceptionRules::takeIdLine(const ParsedLine& line) {
  RuleResult result;
  idReceived_ = true;
  receivedId_ = line.deviceId;
  // A new transmission starts over: what came before it is not stored, and the user must
  // hear of it.
  if (const std::size_t dropped = history_.readingCount(); dropped > 0) {
    result.notifications.push_back(
        Notification::problem(formatText(kDropped, static_cast<unsigned long>(dropped))));
    failed_ = true;
  }
  history_.clear();
  // A number too large for an ID can never be registered.
  if (line.deviceId < 0 || !registry_.find(line.deviceId, history_.device)) {
    history_.device = DeviceRecord::makeNew(defaults_);
    result.notifications.push_back(Notification::problem(formatText(kUnregistered, idText(line).c_str())));
    result.next = NextStep::Stop;
    failed_ = true;
  }
  return result;
}

}  // namespace pelnor
