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

constexpr const char* kDataBeforeId =
    "機器ＩＤより前に計測データを受信しました，どの機器のデータか分からないため保存しません";
constexpr const char* kEndBeforeId = "機器ＩＤを受信しないまま送信が終わりました，受信データは保存しません";
constexpr const char* kDropped = "前の受信データ %lu 件を破棄しました";
constexpr const char* kNotSaved = "保存出来ませんでした";
constexpr const char* kAfterEnd = "終了データの後に続くデータは読み込みませんでした";
constexpr const char* kEndedWithoutData = "データを受信しないまま受信を終了しました";

// The ID as the message shows it: its value, or the digits themselves when they are
// too many for a number.
std::string idText(const ParsedLine& parsed) {
  return parsed.deviceId >= 0 ? formatText("%d", parsed.deviceId) : parsed.idDigits;
}

// Whether a source still holds an ID line or a reading.
bool transmissionFollows(LineSource& source) {
  std::string line;
  while (source.hasPendingInput() && source.nextLine(line) == 0) {
    const int code = parseReceptionLine(line).code;
    if (code == kIdLine || code == kDataLine) return true;
  }
  return false;
}

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
      storage_{reporter_,   env.storage.defaults, env.storage.retry, env.storage.syncToDisk,
               &cancelled_, env.storage.log},
      env_{env.registry, env.location, storage_, env.pulseConstant},
      sink_(sink),
      appLog_(appLog),
      options_(std::move(options)),
      port_(std::move(resolver)),
      simulated_(std::make_unique<SimulatedDevice>()),
      showReceived_(options_.showReceivedLines) {
  if (!storage_.log) storage_.log = [this](const std::string& line) { appLog_.WriteLine(line); };
  port_.setNoticeLog([this](const std::string& line) { appLog_.WriteLine(line); });
  if (!options_.commLogPrefix.empty()) {
    port_.Configure(options_.commLogPrefix, kCommLogDaysPerFile, kCommLogFiles, kCommLogOpenTimeoutMs,
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
  outstanding_ = 1;  // the worker, counted before it runs so that a stop waits for it
  run_ = 1;
  cancelled_ = false;
  storeEnded_ = false;
  {
    std::lock_guard lock(endMutex_);
    workerEnded_ = false;
    restoreWhenEnded_ = false;
  }
  worker_ = std::thread(&CollectionEngine::workerMain, this);
}

void CollectionEngine::stop(const Pump& pump) {
  port_.SetDriverTimeouts(kStopTimeoutMs, kStopTimeoutMs, kStopTimeoutMs, kStopTimeoutMs, kStopTimeoutMs);
  port_.SetLineTimeout(kStopTimeoutMs);
  run_ = 0;
  const auto start = std::chrono::steady_clock::now();
  while (outstanding_ != 0 &&
         std::chrono::steady_clock::now() - start < std::chrono::milliseconds(options_.stopWaitMs)) {
    if (pump)
      pump(kPumpSliceMs);
    else
      sleepMs(1);
  }
}

bool CollectionEngine::cancel(const Pump& pump) {
  cancelled_ = true;
  stop(pump);
  // The history belongs to the worker until it has ended.
  std::unique_lock lock(endMutex_);
  if (!workerEnded_) {
    restoreWhenEnded_ = true;
    return false;
  }
  lock.unlock();
  join();
  if (!storeEnded_) history_ = saved_;
  return true;
}

bool CollectionEngine::finished() const {
  std::lock_guard lock(endMutex_);
  return workerEnded_;
}

void CollectionEngine::endWorker() {
  std::lock_guard lock(endMutex_);
  if (restoreWhenEnded_ && !storeEnded_) history_ = saved_;
  restoreWhenEnded_ = false;
  workerEnded_ = true;
}

void CollectionEngine::join() {
  if (worker_.joinable()) worker_.join();
}

void CollectionEngine::acknowledge(const Notification& notification) {
  if (notification.kind == Notification::kProblem) appLog_.WriteLine(notification.text);
  if (notification.kind == Notification::kProgress || notification.kind == Notification::kProblem)
    --outstanding_;
}

void CollectionEngine::post(int kind, bool status, const std::string& text) {
  if (kind == Notification::kProblem) ++problemsPosted_;
  if (kind == Notification::kProgress || kind == Notification::kProblem) ++outstanding_;
  sink_.post(Notification{kind, status, text});
}

void CollectionEngine::workerMain() {
  sleepMs(1);
  bool ok = receive();
  endWorker();
  post(ok ? Notification::kFinished : Notification::kFailed, false, {});
  --outstanding_;
}

std::unique_ptr<LineSource> CollectionEngine::openSource(bool& ok) {
  if (options_.mode == CollectionOptions::Mode::File && options_.contents) {
    ok = true;
    return std::make_unique<FileLineSource>(*options_.contents);
  }
  if (options_.mode == CollectionOptions::Mode::File) {
    std::filesystem::path path = std::filesystem::absolute(options_.file);
    post(Notification::kProgress, true, formatText("ファイルオープン:%s", pathText(path).c_str()));
    std::string contents;
    switch (readReceptionFile(path, options_.fileOpenLimitMs, options_.fileOpenIntervalMs, reporter_,
                              contents, &cancelled_)) {
      case FileOpenResult::Missing:
        post(Notification::kProblem, true, formatText("ファイルが存在しません:%s", pathText(path).c_str()));
        run_ = 0;
        break;
      case FileOpenResult::CannotOpen:
        post(Notification::kProblem, true,
             formatText("ファイルがオープン出来ません:%s", pathText(path).c_str()));
        run_ = 0;
        break;
      case FileOpenResult::Opened:
        break;
    }
    // A file reception counts as successful unless a line says otherwise; a file that
    // could not be read is a failure, so that the problem stays on screen.
    ok = run_ == 1;
    return std::make_unique<FileLineSource>(std::move(contents));
  }

  ok = false;  // a serial reception counts as failed until its first line
  post(Notification::kProgress, true, "シリアルポートオープン");
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
    post(Notification::kProblem, true,
         formatText("シリアルポートのオープンに失敗,%s", port_.ErrorText().c_str()));
    // Which port, and why in words: the system's text above is often English.
    const std::string& device = port_.devicePath();
    std::string where = formatText("ポート: COM%d（%s）", c[0], device.empty() ? "未設定" : device.c_str());
    if (std::string reason = systemErrorReason(port_.LastError()); !reason.empty()) where += " " + reason;
    post(Notification::kProblem, true, where);
    if (std::string hint = port_.AccessHint(); !hint.empty()) post(Notification::kProblem, true, hint);
    run_ = 0;
  }
  return std::make_unique<SerialLineSource>(port_);
}

bool CollectionEngine::receive() {
  const bool serial = options_.mode == CollectionOptions::Mode::Serial;
  problemsPosted_ = 0;
  bool ok = false;
  std::unique_ptr<LineSource> source = openSource(ok);
  if (serial && run_ == 1) post(Notification::kProgress, true, "機器からのデータ送信待ち");

  // Readings belong to the device of an ID line of this reception, never to the device
  // that happened to be shown before.
  bool idReceived = false;
  int32_t receivedId = DeviceRecord::kNoDevice;
  auto endWithoutId = [&](const char* text) {
    post(Notification::kProblem, true, text);
    run_ = 0;
    ok = false;
  };
  bool readingsDropped = false;
  bool firstLine = true;
  std::string line;
  while (run_ == 1) {
    if (!options_.pauseOnlyWhenIdle || !source->hasPendingInput()) sleepMs(1);

    int result = source->nextLine(line);
    if (result != 0) {
      post(Notification::kProblem, true, formatText("通信異常 [%d]", result));
      ok = false;
      break;
    }
    if (firstLine) {
      firstLine = false;
      ok = true;
      post(Notification::kProgress, true, serial ? "受信処理中..." : "ファイル読み込み中...");
    }
    if (showReceived_) {
      std::string shown = line;
      while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
      post(Notification::kProgress, false, cp932ToUtf8(shown));
    }

    ParsedLine parsed = parseReceptionLine(line);
    switch (parsed.code) {
      case kDataLine:
        if (!idReceived) {
          endWithoutId(kDataBeforeId);
          break;
        }
        lastReadingTime_ = parsed.when;
        history_.addReading(parsed.when, parsed.pulseCount, parsed.temperature, env_.storage.defaults);
        break;
      case kIdLine:
        idReceived = true;
        receivedId = parsed.deviceId;
        // A new transmission starts over: what came before it is not stored, and the
        // user must hear of it.
        if (const std::size_t dropped = history_.readingCount(); dropped > 0) {
          post(Notification::kProblem, true, formatText(kDropped, static_cast<unsigned long>(dropped)));
          readingsDropped = true;
        }
        history_.clear();
        // A number too large for an ID can never be registered.
        if (parsed.deviceId < 0 || !env_.registry.find(parsed.deviceId, history_.device)) {
          history_.device = DeviceRecord::makeNew(env_.storage.defaults);
          post(Notification::kProblem, true,
               formatText("受信した機器ＩＤは登録されていません，先に「機器の設定」を行ってください，受信した"
                          "機器ＩＤ = %s",
                          idText(parsed).c_str()));
          run_ = 0;
          ok = false;
        }
        break;
      case kEndLine:
        if (!idReceived) {
          endWithoutId(kEndBeforeId);
          break;
        }
        if (!askAndStore(receivedId)) ok = false;
        // A file may hold another transmission after its end line (two files joined):
        // that is not read, and the user must hear of it.
        if (!serial && transmissionFollows(*source)) {
          post(Notification::kProblem, true, kAfterEnd);
          ok = false;
        }
        run_ = 0;
        break;
      case kUnrecognisedDate:
        post(Notification::kProgress, true, "認識出来ないデータを受信しました，このデータは無視します");
        break;
      case kEmptyLine:
        if (idReceived) post(Notification::kProblem, true, "空データ受信");
        break;
      default:  // format error; before the ID line it is taken for noise on the line
        if (idReceived) {
          post(Notification::kProblem, true, "受信データのフォーマットが異常です");
          run_ = 0;
          ok = false;
        }
        break;
    }
  }

  const bool succeeded = ok && !readingsDropped;
  // A failure always says what it was; the one left is a stop before the first line.
  if (!succeeded && problemsPosted_ == 0) post(Notification::kProblem, true, kEndedWithoutData);
  if (serial) {
    post(Notification::kProgress, true, "シリアルポートクローズ");
    if (!options_.simulatedDevice) port_.Close();
  }
  return succeeded;
}

bool CollectionEngine::askAndStore(int32_t receivedId) {
  std::string question = formatText(
      "機器ＩＤ【 %d 】番\n需要家名【 %s 】\n のデータを収集しました\n機器情報に間違いはありませんか？\n"
      "「いいえ」を選ぶと処理を中断させます",
      receivedId, history_.device.customerName.c_str());
  reporter_.beep();
  if (reporter_.askYesNo(question)) {
    post(Notification::kProgress, true, "集計中...");
    // Without a device nothing was stored, and no folder may be named after ID -1.
    if (history_.device.deviceId < 0) return true;
    std::vector<DateTime> unsaved;
    const bool saved = history_.mergeAndSave(false, env_, &unsaved);
    storeEnded_ = !cancelled_;
    if (!saved) {
      for (const DateTime& month : unsaved) {
        post(Notification::kProblem, true,
             formatText("%s:%s", kNotSaved,
                        pathText(env_.location.monthFile(history_.device.deviceId, month)).c_str()));
      }
      return false;
    }
    post(Notification::kProgress, true, "集計完了");
  } else {
    history_ = saved_;
    lastReadingTime_ = lastReadingTime_.firstOfMonth();
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
