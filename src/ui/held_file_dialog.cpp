#include "ui/held_file_dialog.h"

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <chrono>
#include <thread>

#include "ui/busy_indicator.h"
#include "ui/gui_reporter.h"

namespace pelnor {

HeldFileDialog::HeldFileDialog(const QString& text, QWidget* parent) : QDialog(parent) {
  setObjectName("heldFileWait");
  setWindowTitle(QString::fromUtf8(kMessageTitle));
  setWindowModality(Qt::ApplicationModal);
  auto* busy = new BusyIndicator(this);
  text_ = new QLabel(text, this);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse);  // the path can be copied
  cancel_ = new QPushButton("キャンセル", this);
  cancel_->setDefault(true);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addWidget(busy);
  row->addWidget(text_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(cancel_, 0, Qt::AlignHCenter);
  busy->start();
}

QString HeldFileDialog::text() const { return text_->text(); }

namespace {

// A wait that ends within this never shows the dialog: a save of another program usually
// holds a file for a moment only.
constexpr std::chrono::milliseconds kDialogAfter{500};

// What the wait and its dialog share; all but cancelled belong to the window's thread.
struct WaitState {
  std::atomic<bool> cancelled{false};
  bool ended = false;
  bool shown = false;
  QPointer<HeldFileDialog> dialog;
  QEventLoop* pausing = nullptr;
};

void showDialog(const std::shared_ptr<WaitState>& state, const QString& text, QWidget* parent) {
  if (state->ended) return;
  state->dialog = new HeldFileDialog(text, parent);
  QObject::connect(state->dialog, &QDialog::rejected, [state] {
    state->cancelled = true;
    if (state->pausing) state->pausing->quit();
  });
  QApplication::setOverrideCursor(Qt::ArrowCursor);  // over the wait cursor: the button is for clicking
  state->shown = true;
  state->dialog->show();
}

void endDialog(WaitState& state) {
  state.ended = true;
  if (!state.shown) return;
  if (state.dialog) {
    state.dialog->hide();
    state.dialog->deleteLater();
  }
  QApplication::restoreOverrideCursor();
}

class GuiHeldFileWait : public HeldFileWait {
 public:
  GuiHeldFileWait(GuiReporter& reporter, QString text)
      : reporter_(reporter),
        text_(std::move(text)),
        onWindowThread_(QThread::currentThread() == reporter.thread()),
        start_(std::chrono::steady_clock::now()) {
    reporter_.beginWait();
  }

  ~GuiHeldFileWait() override {
    onWindowThread([state = state_] { endDialog(*state); });
    reporter_.endWait();
  }

  bool pause(int milliseconds) override {
    if (!dialogAsked_ && std::chrono::steady_clock::now() - start_ >= kDialogAfter) {
      dialogAsked_ = true;
      onWindowThread([state = state_, text = text_, &reporter = reporter_] {
        showDialog(state, text, reporter.parentWindow());
      });
    }
    if (onWindowThread_ && state_->dialog) {
      QEventLoop loop;
      state_->pausing = &loop;
      QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
      if (!state_->cancelled) loop.exec();
      state_->pausing = nullptr;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    return !state_->cancelled;
  }

 private:
  // Runs f on the window's thread, in order with the reporter's other calls from here.
  template <typename F>
  void onWindowThread(F f) {
    if (onWindowThread_)
      f();
    else
      QMetaObject::invokeMethod(&reporter_, std::move(f), Qt::QueuedConnection);
  }

  GuiReporter& reporter_;
  QString text_;
  bool onWindowThread_;
  std::chrono::steady_clock::time_point start_;
  bool dialogAsked_ = false;
  std::shared_ptr<WaitState> state_ = std::make_shared<WaitState>();
};

}  // namespace

std::unique_ptr<HeldFileWait> makeHeldFileWait(GuiReporter& reporter, const QString& text) {
  return std::make_unique<GuiHeldFileWait>(reporter, text);
}

}  // namespace pelnor
