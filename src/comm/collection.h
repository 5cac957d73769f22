// One collection: receives one device's lines on a worker thread, stores them as readings
// of the current history, asks the user to confirm the device, then merges the received
// months with the stored files and saves them. What each line means is the reception
// rules'; the engine holds the worker, its line source, the stop and the cancel. The
// window (or the command line) only starts, stops and shows notifications.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "comm/line_source.h"
#include "comm/notification.h"
#include "comm/reception_rules.h"
#include "comm/rotating_log.h"
#include "comm/serial_port.h"
#include "data/device_history.h"
#include "data/reporter.h"

namespace pelnor {

struct CollectionOptions {
  enum class Mode { Serial, File };

  Mode mode = Mode::Serial;
  std::filesystem::path file;                // file mode
  std::optional<std::string> contents;       // file mode: the text itself instead of a file
  CommSettings comm = kDefaultCommSettings;  // serial mode
  bool simulatedDevice = false;              // the maintenance switch NoneRS
  std::string commLogPrefix;                 // the byte trace's file prefix; empty: no trace
  bool showReceivedLines = true;
  // The 1 ms pause between lines is taken only while no byte is waiting, so that a fast
  // line never overruns the driver's buffer. Off: a pause after every line.
  bool pauseOnlyWhenIdle = true;
  int fileOpenLimitMs = 60000;
  int fileOpenIntervalMs = 200;
  int stopWaitMs = 5000;
};

class CollectionEngine {
 public:
  // Called while the stop procedure waits, to let the window handle notifications.
  using Pump = std::function<void(int milliseconds)>;

  CollectionEngine(DeviceHistory& history, const HistoryEnv& env, Reporter& reporter, NotificationSink& sink,
                   RotatingLog& appLog, PortPathResolver resolver, CollectionOptions options);
  // Waits for the worker without pumping: a window whose reporter needs its thread must
  // not destroy the engine before finished().
  ~CollectionEngine();
  CollectionEngine(const CollectionEngine&) = delete;
  CollectionEngine& operator=(const CollectionEngine&) = delete;

  // Keeps a copy of the history, clears its months and starts the worker.
  void start();
  // Shortens the port's time-outs, ends the reception and waits (pumping) up to 5 s for
  // the worker and its notifications.
  void stop(const Pump& pump = {});
  // Stops, then puts the history back as it was before the start. From now on the
  // worker asks nothing (a question still open counts as No, so nothing is stored), shows
  // no message (its texts go to the application log) and gives up waiting for files
  // that others hold. True when the history is restored on return; false when the worker
  // did not end within the stop procedure's limit: it then restores the history itself
  // as it ends, and the caller leaves the history alone until finished().
  bool cancel(const Pump& pump = {});
  // The worker has ended (or never started).
  bool finished() const { return state_ == EngineState::Idle; }
  // The save of the received months ended (wholly or in part saved) without a cancel:
  // the history shows what the files hold, and a cancel no longer puts the old one back.
  bool storeEnded() const { return storeEnded_; }
  // Waits for the worker to end (after the end notification there is nothing left to wait for).
  void join();

  void setShowReceivedLines(bool show) { showReceived_ = show; }
  // Read once the worker has posted its end.
  DateTime lastReadingTime() const { return rules_.lastReadingTime(); }
  int outstanding() const { return pending_.count(); }

  SerialPort& port() { return port_; }
  // The simulated device; tests give it their own clock and random numbers.
  void setSimulatedDevice(std::unique_ptr<SimulatedDevice> device) { simulated_ = std::move(device); }

 private:
  // The worker's life. One atomic, changed by compare-and-swap, so that a stop, a cancel
  // and the worker's own end never overwrite one another.
  enum class EngineState {
    Idle,       // no worker: not started yet, or ended
    Receiving,  // the worker reads lines
    Stopping,   // a stop, or the reception's own end: the worker ends after the current line
    Cancelled,  // stopping, and asking nothing; the canceller puts the history back
    Abandoned,  // cancelled, but the canceller did not wait: the worker puts it back as it ends
  };

  void workerMain();
  bool receive();  // true when the reception ended without error
  void post(const Notification& notification);
  std::unique_ptr<LineSource> openSource(bool& ok);
  // Reads what follows the end line of a file, as far as the rules need it.
  void checkRestOfFile(LineSource& source);
  // False when received readings could not all be stored.
  bool askAndStore();
  bool receiving() const { return state_ == EngineState::Receiving; }
  bool cancelled() const;
  // From Receiving to Stopping; any later state stays.
  void endReception();
  void endWorker();

  // The worker's way to the user: closed once the reception is cancelled.
  class WorkerReporter : public Reporter {
   public:
    WorkerReporter(CollectionEngine& engine, Reporter& user) : engine_(engine), user_(user) {}
    void info(const std::string& text) override;
    void error(const std::string& text) override;
    void plain(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    Answer askYesNoCancel(const std::string& text) override;
    void beep() override;
    void beginWait() override { user_.beginWait(); }
    void endWait() override { user_.endWait(); }
    std::unique_ptr<HeldFileWait> waitForHeldFile(const std::string& file, int limitMs) override {
      return user_.waitForHeldFile(file, limitMs);
    }

   private:
    bool cancelled() const { return engine_.cancelled(); }
    void show(void (Reporter::*message)(const std::string&), const std::string& text);

    CollectionEngine& engine_;
    Reporter& user_;
  };

  DeviceHistory& history_;
  WorkerReporter reporter_;
  StorageContext storage_;  // the caller's settings, with the worker's reporter and abandon flag
  HistoryEnv env_;
  NotificationSink& sink_;
  RotatingLog& appLog_;
  CollectionOptions options_;
  SerialPort port_;
  std::unique_ptr<SimulatedDevice> simulated_;
  ReceptionRules rules_;  // the worker's alone while it runs
  PendingNotifications pending_;

  DeviceHistory saved_;
  std::atomic<EngineState> state_{EngineState::Idle};
  // Beside the state, as the file layer's waits (StorageContext::abandon, the reception
  // file's open) poll a flag of their own: set just after the state becomes Cancelled.
  std::atomic<bool> abandon_{false};
  // A result of the reception, not a step of the worker: it outlives the worker and a
  // cancel made after the save.
  std::atomic<bool> storeEnded_{false};
  std::atomic<bool> showReceived_{true};
  int problemsPosted_ = 0;  // in this reception; the worker's alone
  std::thread worker_;
};

}  // namespace pelnor
