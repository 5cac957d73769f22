// What each received line means for a reception: which device its readings belong to,
// which reading is stored, what the user hears of, and when the reception ends. Fed
// parsed lines one by one on one thread; the engine's worker does the reading, asking
// and saving.
#pragma once

#include <cstdint>
#include <vector>

#include "comm/notification.h"
#include "comm/reception_parser.h"
#include "data/device_history.h"

namespace pelnor {

enum class NextStep {
  GoOn,         // read the next line
  AskAndStore,  // the transmission is complete: confirm the device, then store
  Stop,         // the reception ends here
};

struct RuleResult {
  std::vector<Notification> notifications;  // to post, in this order
  NextStep next = NextStep::GoOn;
};

class ReceptionRules {
 public:
  // Readings go into history, under the device of the ID line as the registry knows it.
  ReceptionRules(DeviceHistory& history, const DeviceRegistry& registry, const DeviceDefaults& defaults);

  // A new reception: no ID received, nothing failed. The last reading's time stays.
  void begin();
  // One line. Once a line has said Stop, no more lines are to come; after AskAndStore,
  // only what follows the end line in a file, to see whether it holds another
  // transmission.
  RuleResult take(const ParsedLine& line);

  // Some line made the reception fail, or readings received before a second ID line
  // were dropped: it cannot count as successful, whatever was stored.
  bool failed() const { return failed_; }
  // The ID of the transmission's ID line; DeviceRecord::kNoDevice before it.
  int32_t receivedId() const { return receivedId_; }
  // The time of the last reading stored, in this reception or (without one) before it.
  DateTime lastReadingTime() const { return lastReadingTime_; }
  // The user said the readings are not this device's: only their month is kept in view.
  void readingsDeclined() { lastReadingTime_ = lastReadingTime_.firstOfMonth(); }

 private:
  RuleResult takeIdLine(const ParsedLine& line);
  RuleResult fail(Notification problem);

  DeviceHistory& history_;
  const DeviceRegistry& registry_;
  const DeviceDefaults& defaults_;

  bool idReceived_ = false;
  bool endReceived_ = false;
  bool failed_ = false;
  int32_t receivedId_ = DeviceRecord::kNoDevice;
  DateTime lastReadingTime_;
};

}  // namespace pelnor
