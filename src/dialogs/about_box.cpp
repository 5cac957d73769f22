#include "dialogs/about_box.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QUrl>
#include <filesystem>

#include "data/path_text.h"
#include "data/text.h"
#include "ui/icons.h"

namespace pelnor {

namespace {

// The manual: the README beside the program (a portable copy), the installed one
// (<prefix>/share/doc/pelnor beside <prefix>/bin), or the one of the source tree a build
// folder was made from.
QUrl manualUrl(const std::filesystem::path& binaryDir) {
  const std::filesystem::path candidates[] = {binaryDir / "README.md",
                                              binaryDir / ".." / "share" / "doc" / "pelnor" / "README.md",
                                              binaryDir / ".." / ".." / "README.md"};
  for (const std::filesystem::path& candidate : candidates) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(candidate, ec)) {
      return QUrl::fromLocalFile(
          QString::fromStdString(pathText(std::filesystem::weakly_canonical(candidate, ec))));
    }
  }
  return QUrl::fromLocalFile(QString::fromStdString(pathText(candidates[0])));
}

}  // namespace

CAboutBox::CAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("id100");
  setWindowTitle("バージョン情報");
  auto* layout = new QGridLayout(this);
  auto* icon = new QLabel(this);
  icon->setPixmap(applicationIcon().pixmap(48, 48));
  layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
  auto* product = new QLabel("ペル・ノー (Pelnor)", this);
  product->setObjectName("id1000");
  auto* version =
      new QLabel(QString::fromStdString(formatText("ファイルバージョン ： %s", PELNOR_VERSION_TEXT)), this);
  version->setObjectName("id1003");
  auto* notice = new QLabel("電力デマンド監視装置のデータ収集・集計・表示ソフトウェア", this);
  notice->setObjectName("id1001");
  auto* link = new QLabel(
      QStringLiteral("<a href=\"%1\">Pelnor の説明書 (README)</a>")
          .arg(manualUrl(pathFromText(QCoreApplication::applicationDirPath().toStdString())).toString()),
      this);
  link->setObjectName("id1002");
  link->setOpenExternalLinks(true);
  link->setTextInteractionFlags(Qt::TextBrowserInteraction);
  layout->addWidget(product, 0, 1);
  layout->addWidget(version, 1, 1);
  layout->addWidget(notice, 2, 1);
  layout->addWidget(link, 3, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  layout->addWidget(buttons, 4, 0, 1, 2);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

}  // namespace pelnor
