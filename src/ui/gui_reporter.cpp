#include "ui/gui_reporter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include "data/held_file_retry.h"
#include "ui/held_file_dialog.h"

namespace pelnor {

namespace {

using ButtonNames = std::initializer_list<std::pair<QMessageBox::StandardButton, const char*>>;

// The buttons speak the program's language whatever the toolkit's translations are.
constexpr ButtonNames kButtonNames = {
    {QMessageBox::Yes, "はい(&Y)"}, {QMessageBox::No, "いいえ(&N)"}, {QMessageBox::Cancel, "キャンセル"}};
// Which change stays: Yes keeps this program's, No (and Escape) the other program's.
constexpr ButtonNames kKeepNames = {{QMessageBox::Yes, "自分の変更を残す(&M)"},
                                    {QMessageBox::No, "他のプログラムの変更を残す(&T)"}};

int showBox(QWidget* parent, QMessageBox::Icon icon, const std::string& text,
            QMessageBox::StandardButtons buttons, ButtonNames names = kButtonNames) {
  QMessageBox box(icon, QString::fromUtf8(kMessageTitle), QString::fromStdString(text), buttons, parent);
  for (const auto& [button, name] : names) {
    if (QAbstractButton* b = box.button(button)) b->setText(QString::fromUtf8(name));
  }
  return box.exec();
}

}  // namespace

void GuiReporter::setParentWindow(QWidget* window) { window_ = window; }

int GuiReporter::onGuiThread(const std::function<int()>& show) {
  if (QThread::currentThread() == thread()) return show();
  int result = 0;
  QMetaObject::invokeMethod(
      this, [&] { result = show(); }, Qt::BlockingQueuedConnection);
  return result;
}

void GuiReporter::info(const std::string& text) {
  onGuiThread([&] { return showBox(window_, QMessageBox::Information, text, QMessageBox::Ok); });
}

void GuiReporter::error(const std::string& text) {
  onGuiThread([&] { return showBox(window_, QMessageBox::Critical, text, QMessageBox::Ok); });
}

void GuiReporter::plain(const std::string& text) {
  onGuiThread([&] { return showBox(window_, QMessageBox::NoIcon, text, QMessageBox::Ok); });
}

bool GuiReporter::askYesNo(const std::string& text) {
  return onGuiThread([&] {
           return showBox(window_, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No);
         }) == QMessageBox::Yes;
}

Reporter::Answer GuiReporter::askYesNoCancel(const std::string& text) {
  int button = onGuiThread([&] {
    return showBox(window_, QMessageBox::Question, text,
                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  });
  if (button == QMessageBox::Yes) return Answer::Yes;
  if (button == QMessageBox::No) return Answer::No;
  return Answer::Cancel;
}

Reporter::Keep GuiReporter::askWhichToKeep(const std::string& text) {
  const int button = onGuiThread([&] {
    return showBox(window_, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, kKeepNames);
  });
  return button == QMessageBox::Yes ? Keep::Mine : Keep::Theirs;
}

void GuiReporter::beep() {
  QMetaObject::invokeMethod(
      this, [] { QApplication::beep(); }, Qt::AutoConnection);
}

// The cursor belongs to the GUI thread; a worker only asks for it, without waiting.
void GuiReporter::beginWait() {
  QMetaObject::invokeMethod(
      this, [] { QApplication::setOverrideCursor(Qt::WaitCursor); }, Qt::AutoConnection);
}

void GuiReporter::endWait() {
  QMetaObject::invokeMethod(
      this, [] { QApplication::restoreOverrideCursor(); }, Qt::AutoConnection);
}

std::unique_ptr<HeldFileWait> GuiReporter::waitForHeldFile(const std::string& file, int limitMs) {
  return makeHeldFileWait(*this, QString::fromStdString(heldFileWaitText(file, limitMs)));
}

}  // namespace pelnor
