#include "dialogs/set_serial.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QThread>
#include <future>

#include "comm/serial_line_settings.h"
#include "ui/busy_indicator.h"
#include "ui/input_label.h"

namespace pelnor {

namespace {

struct Row {
  const char* text;
  int32_t value;
};

const std::vector<Row> kBauds = {{"110", 110},       {"300", 300},       {"600", 600},      {"1200", 1200},
                                 {"2400", 2400},     {"4800", 4800},     {"9600", 9600},    {"14400", 14400},
                                 {"19200", 19200},   {"38400", 38400},   {"56000", 56000},  {"57600", 57600},
                                 {"115200", 115200}, {"128000", 128000}, {"256000", 256000}};
const std::vector<Row> kDataBits = {{"4", 4}, {"5", 5}, {"6", 6}, {"7", 7}, {"8", 8}};
const std::vector<Row> kParities = {{"なし", 0}, {"奇数", 1}, {"偶数", 2}, {"マーク", 3}};
const std::vector<Row> kStopBits = {{"1", 0}, {"1.5", 1}, {"2", 2}};
const std::vector<Row> kFlows = {{"なし", 0}, {"ハードウェア", 1}, {"Xon/Xoff", 2}};
constexpr int kFixedPorts = 15;

// The list, its label, its table and the index of its value in the stored six.
struct ListSpec {
  int id;
  const char* label;
  const std::vector<Row>* rows;
  int settingIndex;
};
const ListSpec kLists[] = {
    {1016, "ポート番号(&P)：", nullptr, 0},        {1017, "ボーレイト(&B)：", &kBauds, 1},
    {1018, "データ長(&D)：", &kDataBits, 2},       {1019, "パリティチェック(&A)：", &kParities, 4},
    {1020, "ストップビット(&S)：", &kStopBits, 3}, {1021, "フロー制御(&F)：", &kFlows, 5},
};

// Scans off the GUI thread, showing the busy window; the window keeps painting.
std::vector<int> scanShowingBusyWindow(const CSetSerial::Scan& scan, QWidget* parent) {
  BusyWindow busy("利用可能なポートを探しています\r\nしばらくお待ちください", parent);
  busy.show();
  std::future<std::vector<int>> found = std::async(std::launch::async, scan);
  while (found.wait_for(std::chrono::milliseconds(15)) != std::future_status::ready) {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  return found.get();
}

}  // namespace

CSetSerial::CSetSerial(const CommSettings& current, Scan scan, PortPath portPath, QWidget* parent)
    : QDialog(parent) {
  setObjectName("id136");
  setWindowTitle("通信設定");
  auto* form = new QFormLayout(this);
  for (int i = 0; i < 6; ++i) {
    combos_[i] = new QComboBox(this);
    combos_[i]->setObjectName(QStringLiteral("id%1").arg(kLists[i].id));
    form->addRow(inputLabel(kLists[i].label, combos_[i], this), combos_[i]);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("id1");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("id2");
  buttons->button(QDialogButtonBox::Cancel)->setText("キャンセル");
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  // Ports: those found ("COMn" and the device in parentheses), else COM1 to COM15.
  const std::vector<int> found = scanShowingBusyWindow(scan, parent);
  QComboBox& ports = *combos_[0];
  if (found.empty()) {
    for (int n = 1; n <= kFixedPorts; ++n) ports.addItem(QStringLiteral("COM%1").arg(n));
  } else {
    for (int n : found) {
      ports.addItem(QStringLiteral("COM%1 (%2)").arg(n).arg(QString::fromStdString(portPath(n))));
    }
  }
  // The current port's row text of the fixed list (COM1 when it has none), found as the
  // start of an entry.
  const int port = current[0];
  const QString wanted = QStringLiteral("COM%1").arg(port >= 1 && port <= kFixedPorts ? port : 1);
  int portIndex = 0;
  for (int i = 0; i < ports.count(); ++i) {
    if (ports.itemText(i).startsWith(wanted, Qt::CaseInsensitive)) {
      portIndex = i;
      break;
    }
  }
  ports.setCurrentIndex(portIndex);

  for (int i = 1; i < 6; ++i) {
    const std::vector<Row>& rows = *kLists[i].rows;
    int selected = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      combos_[i]->addItem(rows[r].text);
      if (rows[r].value == current[static_cast<std::size_t>(kLists[i].settingIndex)])
        selected = static_cast<int>(r);
    }
    combos_[i]->setCurrentIndex(selected);
  }
  // Values this platform cannot set stay listed, disabled, with the reason.
  auto disable = [](QComboBox& combo, int row, const std::string& reason) {
    if (reason.empty()) return;
    auto* model = qobject_cast<QStandardItemModel*>(combo.model());
    QStandardItem* item = model ? model->item(row) : nullptr;
    if (!item) return;
    item->setEnabled(false);
    item->setText(item->text() + "（この環境では使えません）");
    item->setToolTip(QString::fromStdString(reason));
  };
  for (std::size_t r = 0; r < kDataBits.size(); ++r)
    disable(list(1018), static_cast<int>(r), unsupportedDataBits(kDataBits[r].value));
  for (std::size_t r = 0; r < kStopBits.size(); ++r)
    disable(list(1020), static_cast<int>(r), unsupportedStopBits(kStopBits[r].value));
}

QComboBox& CSetSerial::list(int id) const { return *combos_[id - kLists[0].id]; }

CommSettings CSetSerial::settings() const {
  CommSettings out{};
  // The port number is read from the fourth character of the entry, after "COM".
  const QString portText = combos_[0]->currentText();
  out[0] = portText.size() < 4 ? 1 : QStringView(portText).mid(3).toString().section(' ', 0, 0).toInt();
  for (int i = 1; i < 6; ++i) {
    const std::vector<Row>& rows = *kLists[i].rows;
    const int index = combos_[i]->currentIndex();
    out[static_cast<std::size_t>(kLists[i].settingIndex)] =
        index >= 0 && index < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(index)].value
                                                            : rows[0].value;
  }
  return out;
}

}  // namespace pelnor
