// One collection: receives one device's lines on a worker thread, stores them as readings
// of the current history, asks the user to confirm the device, then merges the received
// months with the stored files and saves them. The window (or the command line) only
// starts, stops and shows notifications.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "comm/line_source.h"
#include "comm/rotating_log.h"
#include "comm/serial_port.h"
#include "data/device_history.h"
#include "data/reporter.h"

namespace pelnor {

struct Notification {
  static constexpr int kProgress = 1;  // text
  static constexpr int kProblem = 2;   // text, also written to the application log
  static constexpr int kFinished = 3;  // the reception ended normally
  static constexpr int kFailed = 4;    // the reception ended with an error

  int kind = kProgress;
  bool status = false;  // also show the text in the status line
  std::string text;
};

// Receives notifications on the worker thread. Every kind 1 and 2 notification must be
// handed back to CollectionEngine::acknowledge once it has been shown.
class NotificationSink {
 public:
  virtual ~NotificationSink() = default;
  virtual void post(const Notification& notification) = 0;
};

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
  // Shortens the port's time-outs, clears the run flag and waits (pumping) up to 5 s
  // for the worker and its notifications.
  void stop(const Pump& pump = {});
  // Stops, then puts the history back as it was before the start. From now on the
  // worker asks nothing (a question still open counts as No, so nothing is stored), shows
  // no message (its texts go to the application log) and gives up waiting for files
  // that others hold. True when the history is restored on return; false when the worker
  // did not end within the stop procedure's limit: it then restores the history itself
  // as it ends, and the caller leaves the history alone until finished().
  bool cancel(const Pump& pump = {});
  // The worker has ended (or never started).
  bool finished() const;
  // The save of the received months ended (wholly or in part saved) without a cancel:
  // the history shows what the files hold, and a cancel no longer puts the old one back.
  bool storeEnded() const { return storeEnded_; }
  // A kind 1 or 2 notification has been shown; kind 2 goes to the application log.
  void acknowledge(const Notification& notification);
  // Waits for the worker to end (after kind 3 or 4 there is nothing left to wait for).
  void join();

  void setShowReceivedLines(bool show) { showReceived_ = show; }
  DateTime lastReadingTime() const { return lastReadingTime_; }
  int outstanding() const { return outstanding_; }

  SerialPort& port() { return port_; }
  // The simulated device; tests give it their own clock and random numbers.
  void setSimulatedDevice(std::unique_ptr<SimulatedDevice> device) { simulated_ = std::move(device); }

 private:
  void workerMain();
  bool receive();  // true when the reception ended without error
  void post(int kind, bool status, const std::string& text);
  std::unique_ptr<LineSource> openSource(bool& ok);
  // False when received readings could not all be stored.
  bool askAndStore(int32_t receivedId);
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
    bool cancelled() const { return engine_.cancelled_; }
    void show(void (Reporter::*message)(const std::string&), const std::string& text);

    CollectionEngine& engine_;
    Reporter& user_;
  };

  DeviceHistory& history_;
  WorkerReporter reporter_;
  StorageContext storage_;  // the caller's settings, with the worker's reporter and cancel flag
  HistoryEnv env_;
  NotificationSink& sink_;
  RotatingLog& appLog_;
  CollectionOptions options_;
  SerialPort port_;
  std::unique_ptr<SimulatedDevice> simulated_;

  DeviceHistory saved_;
  DateTime lastReadingTime_;
  std::atomic<int> run_{0};
  std::atomic<int> outstanding_{0};
  std::atomic<bool> showReceived_{true};
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> storeEnded_{false};
  int problemsPosted_ = 0;  // in this reception; the worker's alone

  // Who restores the history after a cancel: the canceller, or the worker as it ends.
  mutable std::mutex endMutex_;
  bool workerEnded_ = true;
  bool restoreWhenEnded_ = false;
  std::thread worker_;
};

}  // namespace pelnor
