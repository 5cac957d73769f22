#include "dialogs/comm_read.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

#include "comm/program_state.h"
#include "ui/busy_indicator.h"

namespace pelnor {

namespace {

constexpr int kFlushMs = 30;  // rows are listed in batches at this pace
constexpr const char* kCommLogName = "COMM_";
constexpr int kProblemLines = 4;  // the problems kept in view
constexpr const char* kProblemStatus = "受信処理で問題が発生しました";

// The received rows; a row cut at the list's edge shows its whole text as a tooltip.
class ReceptionRows : public QStringListModel {
 public:
  using QStringListModel::QStringListModel;
  QVariant data(const QModelIndex& index, int role) const override {
    return QStringListModel::data(index, role == Qt::ToolTipRole ? Qt::DisplayRole : role);
  }
};

}  // namespace

// Hands the worker's notifications to the dialog's thread as queued events.
class CCommRead::Sink : public NotificationSink {
 public:
  explicit Sink(CCommRead& dialog) : dialog_(&dialog) {}
  void post(const Notification& notification, PendingNotifications& pending) override {
    QPointer<CCommRead> dialog = dialog_;
    QMetaObject::invokeMethod(
        dialog_,
        [dialog, notification, pending = &pending] {
          if (!dialog) return;
          dialog->handle(notification);
          if (notification.isText()) pending->acknowledge(notification);
        },
        Qt::QueuedConnection);
  }

 private:
  CCommRead* dialog_;
};

CCommRead::CCommRead(ProgramState& app, std::filesystem::path file, bool showReceivedLines, QWidget* parent)
    : QDialog(parent), app_(app), sink_(std::make_unique<Sink>(*this)) {
  setObjectName("id140");
  setWindowTitle("データの受信");
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  busy_ = new BusyIndicator(this);
  status_ = new QLabel(this);
  status_->setObjectName("id1030");
  status_->setMinimumWidth(360);
  top->addWidget(busy_);
  top->addWidget(status_, 1);
  layout->addLayout(top);
  problem_ = new QLabel(this);
  problem_->setObjectName("problemText");
  problem_->setWordWrap(true);
  problem_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  problem_->hide();
  layout->addWidget(problem_);
  rows_ = new ReceptionRows(this);
  list_ = new QListView(this);
  list_->setObjectName(kReceivedLinesName);
  list_->setModel(rows_);
  list_->setUniformItemSizes(true);  // keeps long lists quick
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setMinimumSize(480, 260);
  list_->setAccessibleName("受信データ");
  list_->setTabKeyNavigation(false);
  layout->addWidget(list_, 1);
  show_ = new QCheckBox("収集データを表示する", this);
  show_->setObjectName("id1033");
  show_->setChecked(showReceivedLines);
  layout->addWidget(show_);
  layout->addWidget(new QLabel("（このチェックを外すと受信時間が若干短縮出来ます)", this));
  stopButton_ = new QPushButton("中断／戻る", this);
  stopButton_->setObjectName(kStopButtonName);
  stopButton_->setAutoDefault(false);
  layout->addWidget(stopButton_, 0, Qt::AlignRight);
  setSizeGripEnabled(true);  // long rows: the dialog can be widened
  connect(stopButton_, &QPushButton::clicked, this, &CCommRead::reject);

  flushTimer_.setInterval(kFlushMs);
  connect(&flushTimer_, &QTimer::timeout, this, &CCommRead::flushRows);

  CollectionOptions options;
  options.mode = file.empty() ? CollectionOptions::Mode::Serial : CollectionOptions::Mode::File;
  options.file = std::move(file);
  options.comm = app_.registry.commSettings;
  options.simulatedDevice = app_.settings.noSerialPort != 0;
  options.showReceivedLines = showReceivedLines;
  if (app_.settings.commLog != 0) options.commLogPrefix = pathText(app_.programDir / kCommLogName);
  engine_ = std::make_unique<CollectionEngine>(
      app_.history, app_.historyEnv(), app_.reporter, *sink_, app_.appLog,
      [this](int port) { return app_.settings.serialDevicePath(port); }, options);
  // The check box takes effect at once, so the running worker sees it.
  connect(show_, &QCheckBox::toggled, this, [this](bool on) { engine_->setShowReceivedLines(on); });
}

CCommRead::~CCommRead() {
  // The worker may still wait for the user: keep answering until it has ended.
  while (engine_ && !engine_->finished()) pump(100);
}

bool CCommRead::showReceivedLines() const { return show_->isChecked(); }
QString CCommRead::statusText() const { return status_->text(); }
QString CCommRead::problemText() const { return problem_->text(); }

void CCommRead::pump(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

int CCommRead::exec() {
  busy_->start();
  flushTimer_.start();
  engine_->start();
  return QDialog::exec();
}

void CCommRead::handle(const Notification& n) {
  if (n.isText()) {
    pendingRows_ << QString::fromStdString(n.text);
    if (n.status) status_->setText(QString::fromStdString(n.text));
    if (n.kind == NotificationKind::Problem) {
      // The last few problems together: a failure's text and the lines that explain it.
      QStringList lines = problem_->text().isEmpty() ? QStringList() : problem_->text().split('\n');
      lines << QString::fromStdString(n.text);
      while (lines.size() > kProblemLines) lines.removeFirst();
      problem_->setText(lines.join('\n'));
      problem_->show();
    }
    return;
  }
  flushRows();
  busy_->stop();
  if (n.kind == NotificationKind::Finished) {
    if (finished_) return;
    finished_ = true;
    stopButton_->setEnabled(false);
    engine_->stop(pump);
    lastReadingTime_ = engine_->lastReadingTime();
    accept();
    return;
  }
  lastReadingTime_ = engine_->lastReadingTime();
  status_->setText(kProblemStatus);  // stays open with its messages until "中断／戻る"
}

bool CCommRead::storeEnded() const { return engine_->storeEnded(); }

void CCommRead::flushRows() {
  if (pendingRows_.isEmpty()) return;
  const int first = rows_->rowCount();
  rows_->insertRows(first, static_cast<int>(pendingRows_.size()));
  for (int i = 0; i < pendingRows_.size(); ++i) rows_->setData(rows_->index(first + i), pendingRows_[i]);
  pendingRows_.clear();
  list_->setCurrentIndex(rows_->index(rows_->rowCount() - 1));
  list_->scrollToBottom();
}

void CCommRead::reject() {
  if (finished_) return;
  finished_ = true;
  stopButton_->setEnabled(false);
  busy_->stop();
  if (!engine_->cancel(pump)) {
    // The worker still finishes something (a file another program holds): the history
    // is put back as it ends; until then the dialog stays, answering what it asks.
    status_->setText("終了処理中...");
    while (!engine_->finished()) pump(100);
    engine_->join();
  }
  QDialog::reject();
}

void CCommRead::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;  // there is no OK
  QDialog::keyPressEvent(event);
}

}  // namespace pelnor
