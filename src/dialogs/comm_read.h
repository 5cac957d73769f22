// "データの受信": runs one collection from the serial line or a file. The reception itself
// runs on the engine's worker; its notifications arrive here as queued events, and the
// rows it reports are listed in batches so that tens of thousands stay quick.
#pragma once

#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "comm/collection.h"

class QCheckBox;
class QLabel;
class QListView;
class QPushButton;
class QStringListModel;

namespace pelnor {

struct ProgramState;
class BusyIndicator;

// The object names of the received-lines list and of the button "中断／戻る".
inline constexpr const char* kReceivedLinesName = "id1032";
inline constexpr const char* kStopButtonName = "id2";

class CCommRead : public QDialog {
  Q_OBJECT

 public:
  // file empty: the serial line with the device master's settings.
  CCommRead(ProgramState& app, std::filesystem::path file, bool showReceivedLines, QWidget* parent = nullptr);
  ~CCommRead() override;

  bool showReceivedLines() const;
  DateTime lastReadingTime() const { return lastReadingTime_; }
  // The received months were stored, wholly or in part: whatever the result, the
  // history shows what the files now hold.
  bool storeEnded() const;
  QStringListModel& rows() const { return *rows_; }
  QString statusText() const;
  // The last problems reported, in full, one a line; they stay until the dialog closes.
  QString problemText() const;

  int exec() override;
  void reject() override;  // "中断／戻る" and Esc

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  class Sink;
  void handle(const Notification& notification);
  void flushRows();
  // Handles events for at most ms, as the stop procedure needs.
  static void pump(int ms);

  ProgramState& app_;
  std::unique_ptr<Sink> sink_;
  std::unique_ptr<CollectionEngine> engine_;
  QLabel* status_;
  QLabel* problem_;
  BusyIndicator* busy_;
  QListView* list_;
  QStringListModel* rows_;
  QCheckBox* show_;
  QPushButton* stopButton_;
  QStringList pendingRows_;
  QTimer flushTimer_;
  DateTime lastReadingTime_;
  bool finished_ = false;
};

}  // namespace pelnor
