#include "comm/collection.h"

#include <chrono>

#include "comm/reception_parser.h"
#include "data/error_reasons.h"
#include "data/system.h"
#include "data/text.h"

namespace pelnor {

namespace {

constexpr uint32_t kStopTimeoutMs = 1;
constexpr int kPumpSliceMs = 100;

constexpr int kCommLogDaysPerFile = 7;
constexpr int kCommLogFiles = 30;
constexpr int kCommLogOpenTimeoutMs = 10000;
constexpr int64_t kCommLogSizeLimit = 5242880;

constexpr const char* kNotSaved = "保存出来ませんでした";
constexpr const char* kEndedWithoutData = "データを受信しないまま受信を終了しました";

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The engine's own simulated device, lent to the reception for one run.
class BorrowedSource : public LineSource {
 public:
  explicit BorrowedSource(LineSource& source) : source_(source) {}
  int nextLine(std::string& line) override { return source_.nextLine(line); }
  bool hasPendingInput() override { return source_.hasPendingInput(); }

 private:
  LineSource& source_;
};

}  // namespace

CollectionEngine::CollectionEngine(DeviceHistory& history, const HistoryEnv& env, Reporter& reporter,
                                   NotificationSink& sink, RotatingLog& appLog, PortPathResolver resolver,
                                   CollectionOptions options)
    : history_(history),
      reporter_(*this, reporter),
      storage_{reporter_, env.storage.defaults, env.storage.retry, env.storage.syncToDisk,
               &abandon_, env.storage.log},
      env_{env.registry, env.location, storage_, env.pulseConstant},
      sink_(sink),
      appLog_(appLog),
      options_(std::move(options)),
      port_(std::move(resolver)),
      simulated_(std::make_unique<SimulatedDevice>()),
      rules_(history_, env_.registry, env_.storage.defaults),
      pending_(appLog),
      showReceived_(options_.showReceivedLines) {
  if (!storage_.log) storage_.log = [this](const std::string& line) { appLog_.WriteLine(line); };
  port_.setNoticeLog([this](const std::string& line) { appLog_.WriteLine(line); });
  if (!options_.commLogPrefix.empty()) {
    port_.trace().Configure(options_.commLogPrefix, kCommLogDaysPerFile, kCommLogFiles, kCommLogOpenTimeoutMs,
                            kCommLogSizeLimit);
  }
}

CollectionEngine::~CollectionEngine() {
  if (worker_.joinable()) {
    stop();
    worker_.join();
  }
}

void CollectionEngine::start() {
  saved_ = history_;
  history_.clear();
  stop();
  join();
  pending_.workerStarted();
  abandon_ = false;
  storeEnded_ = false;
  state_ = EngineState::Receiving;
  worker_ = std::thread(&CollectionEngine::workerMain, this);
}

void CollectionEngine::stop(const Pump& pump) {
  port_.SetDriverTimeouts(kStopTimeoutMs, kStopTimeoutMs, kStopTimeoutMs, kStopTimeoutMs, kStopTimeoutMs);
  port_.SetLineTimeout(kStopTimeoutMs);
  endReception();
  const auto start = std::chrono::steady_clock::now();
  while (pending_.count() != 0 &&
         std::chrono::steady_clock::now() - start < std::chrono::milliseconds(options_.stopWaitMs)) {
    if (pump)
      pump(kPumpSliceMs);
    else
      sleepMs(1);
  }
}

void CollectionEngine::endReception() {
  EngineState receiving = EngineState::Receiving;
  state_.compare_exchange_strong(receiving, EngineState::Stopping);
}

bool CollectionEngine::cancelled() const {
  const EngineState state = state_;
  return state == EngineState::Cancelled || state == EngineState::Abandoned;
}

bool CollectionEngine::cancel(const Pump& pump) {
  EngineState state = state_;
  while ((state == EngineState::Receiving || state == EngineState::Stopping) &&
         !state_.compare_exchange_weak(state, EngineState::Cancelled)) {
  }
  // After the state: a wait the file layer gives up is then seen as cancelled.
  abandon_ = true;
  stop(pump);
  // The history belongs to the worker until it has ended.
  EngineState expected = EngineState::Cancelled;
  if (state_.compare_exchange_strong(expected, EngineState::Abandoned) || expected == EngineState::Abandoned)
    return false;
  join();
  if (!storeEnded_) history_ = saved_;
  return true;
}

void CollectionEngine::endWorker() {
  EngineState state = state_;
  while (state != EngineState::Abandoned && !state_.compare_exchange_weak(state, EngineState::Idle)) {
  }
  if (state != EngineState::Abandoned) return;
  // Nobody else changes an abandoned state: the history is put back before it says ended.
  if (!storeEnded_) history_ = saved_;
  state_ = EngineState::Idle;
}

void CollectionEngine::join() {
  if (worker_.joinable()) worker_.join();
}

void CollectionEngine::post(const Notification& notification) {
  if (notification.kind == NotificationKind::Problem) ++problemsPosted_;
  pending_.posted(notification);
  sink_.post(notification, pending_);
}

void CollectionEngine::workerMain() {
  sleepMs(1);
  bool ok = receive();
  endWorker();
  post(Notification{ok ? NotificationKind::Finished : NotificationKind::Failed, false, {}});
  pending_.workerEnded();
}

std::unique_ptr<LineSource> CollectionEngine::openSource(bool& ok) {
  if (options_.mode == CollectionOptions::Mode::File && options_.contents) {
    ok = true;
    return std::make_unique<FileLineSource>(*options_.contents);
  }
  if (options_.mode == CollectionOptions::Mode::File) {
    std::filesystem::path path = std::filesystem::absolute(options_.file);
    post(Notification::step(formatText("ファイルオープン:%s", pathText(path).c_str())));
    std::string contents;
    switch (readReceptionFile(path, options_.fileOpenLimitMs, options_.fileOpenIntervalMs, reporter_,
                              contents, &abandon_)) {
      case FileOpenResult::Missing:
        post(Notification::problem(formatText("ファイルが存在しません:%s", pathText(path).c_str())));
        endReception();
        break;
      case FileOpenResult::CannotOpen:
        post(Notification::problem(formatText("ファイルがオープン出来ません:%s", pathText(path).c_str())));
        endReception();
        break;
      case FileOpenResult::Opened:
        break;
    }
    // A file reception counts as successful unless a line says otherwise; a file that
    // could not be read is a failure, so that the problem stays on screen.
    ok = receiving();
    return std::make_unique<FileLineSource>(std::move(contents));
  }

  ok = false;  // a serial reception counts as failed until its first line
  post(Notification::step("シリアルポートオープン"));
  if (options_.simulatedDevice) {  // no port: it counts as open
    simulated_->restart();
    return std::make_unique<BorrowedSource>(*simulated_);
  }
  const CommSettings& c = options_.comm;
  port_.Configure(c[0], c[1], c[2], c[3], c[4], c[5], false);
  if (port_.Open()) {
    port_.SetLineTimeout(SerialPort::kInfinite);  // the device is awaited without a limit
    sleepMs(1);
  } else {
    post(Notification::problem(formatText("シリアルポートのオープンに失敗,%s", port_.ErrorText().c_str())));
    // Which port, and why in words: the system's text above is often English.
    const std::string& device = port_.devicePath();
    std::string where = formatText("ポート: COM%d（%s）", c[0], device.empty() ? "未設定" : device.c_str());
    if (std::string reason = systemErrorReason(port_.LastError()); !reason.empty()) where += " " + reason;
    post(Notification::problem(where));
    if (std::string hint = port_.AccessHint(); !hint.empty()) post(Notification::problem(hint));
    endReception();
  }
  return std::make_unique<SerialLineSource>(port_);
}

bool CollectionEngine::receive() {
  const bool serial = options_.mode == CollectionOptions::Mode::Serial;
  problemsPosted_ = 0;
  rules_.begin();
  bool ok = false;  // the source and the save; what the lines say is the rules' verdict
  std::unique_ptr<LineSource> source = openSource(ok);
  if (serial && receiving()) post(Notification::step("機器からのデータ送信待ち"));

  bool firstLine = true;
  std::string line;
  while (receiving()) {
    if (!options_.pauseOnlyWhenIdle || !source->hasPendingInput()) sleepMs(1);

    int result = source->nextLine(line);
    if (result != 0) {
      post(Notification::problem(formatText("通信異常 [%d]", result)));
      ok = false;
      break;
    }
    if (firstLine) {
      firstLine = false;
      ok = true;
      post(Notification::step(serial ? "受信処理中..." : "ファイル読み込み中..."));
    }
    if (showReceived_) {
      std::string shown = line;
      while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
      post(Notification{NotificationKind::Progress, false, cp932ToUtf8(shown)});
    }

    const RuleResult step = rules_.take(parseReceptionLine(line));
    for (const Notification& notification : step.notifications) post(notification);
    if (step.next == NextStep::AskAndStore) {
      if (!askAndStore()) ok = false;
      if (!serial) checkRestOfFile(*source);
    }
    if (step.next != NextStep::GoOn) endReception();
  }

  const bool succeeded = ok && !rules_.failed();
  // A failure always says what it was; the one left is a stop before the first line.
  if (!succeeded && problemsPosted_ == 0) post(Notification::problem(kEndedWithoutData));
  if (serial) {
    post(Notification::step("シリアルポートクローズ"));
    if (!options_.simulatedDevice) port_.Close();
  }
  return succeeded;
}

void CollectionEngine::checkRestOfFile(LineSource& source) {
  std::string line;
  while (source.hasPendingInput() && source.nextLine(line) == 0) {
    const RuleResult step = rules_.take(parseReceptionLine(line));
    for (const Notification& notification : step.notifications) post(notification);
    if (step.next != NextStep::GoOn) return;
  }
}

bool CollectionEngine::askAndStore() {
  std::string question = formatText(
      "機器ＩＤ【 %d 】番\n需要家名【 %s 】\n のデータを収集しました\n機器情報に間違いはありませんか？\n"
      "「いいえ」を選ぶと処理を中断させます",
      rules_.receivedId(), history_.device.customerName.c_str());
  reporter_.beep();
  if (reporter_.askYesNo(question)) {
    post(Notification::step("集計中..."));
    // Without a device nothing was stored, and no folder may be named after ID -1.
    if (history_.device.deviceId < 0) return true;
    std::vector<DateTime> unsaved;
    const bool saved = history_.mergeAndSave(false, env_, &unsaved);
    storeEnded_ = !cancelled();
    if (!saved) {
      for (const DateTime& month : unsaved) {
        post(Notification::problem(formatText(
            "%s:%s", kNotSaved, pathText(env_.location.monthFile(history_.device.deviceId, month)).c_str())));
      }
      return false;
    }
    post(Notification::step("集計完了"));
  } else {
    history_ = saved_;
    rules_.readingsDeclined();
  }
  return true;
}

void CollectionEngine::WorkerReporter::show(void (Reporter::*message)(const std::string&),
                                            const std::string& text) {
  if (cancelled()) {
    engine_.appLog_.WriteLine(text);
    return;
  }
  (user_.*message)(text);
}

void CollectionEngine::WorkerReporter::info(const std::string& text) { show(&Reporter::info, text); }
void CollectionEngine::WorkerReporter::error(const std::string& text) { show(&Reporter::error, text); }
void CollectionEngine::WorkerReporter::plain(const std::string& text) { show(&Reporter::plain, text); }

bool CollectionEngine::WorkerReporter::askYesNo(const std::string& text) {
  return !cancelled() && user_.askYesNo(text) && !cancelled();
}

Reporter::Answer CollectionEngine::WorkerReporter::askYesNoCancel(const std::string& text) {
  if (cancelled()) return Answer::Cancel;
  Answer answer = user_.askYesNoCancel(text);
  return cancelled() ? Answer::Cancel : answer;
}

void CollectionEngine::WorkerReporter::beep() {
  if (!cancelled()) user_.beep();
}

}  // namespace pelnor
