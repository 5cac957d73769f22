// Printing, the date dialogs and the export dialogs in the window.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTest>
#include <cstdio>

#include "data/path_text.h"
#include "dialogs/csv_out.h"
#include "dialogs/input_span.h"
#include "gui_fixture.h"
#include "modal_driver.h"
#include "support/file_fixtures.h"
#include "views/print_pages.h"

namespace pelnor {
namespace {

using namespace test;

TEST(PrintPagesTest, PageCountsAndPeriods) {
  const PrintRange months{Period::Month, DateTime::fromFields(2004, 11, 20), DateTime::fromFields(2005, 2, 3),
                          false};
  EXPECT_EQ(pageCount(months), 4);
  EXPECT_EQ(pageDate(months, 1), DateTime::fromFields(2004, 11, 1));
  EXPECT_EQ(pageDate(months, 4), DateTime::fromFields(2005, 2, 1));
  const PrintRange days{Period::Day, DateTime::fromFields(2024, 2, 27), DateTime::fromFields(2024, 3, 3),
                        false};
  EXPECT_EQ(pageCount(days), 6);
  EXPECT_EQ(pageDate(days, 3), DateTime::fromFields(2024, 2, 29));
  EXPECT_EQ(pageDate(days, 5), DateTime::fromFields(2024, 3, 2));
  EXPECT_EQ(pageCount(PrintRange{Period::Day, days.start, days.start, false}), 1);
  EXPECT_EQ(pageCount(PrintRange{Period::Day, days.end, days.start, false}), 0);
}

class OutputTest : public GuiTest {
 protected:
  void SetUp() override {
    storeMonth(2024, 1, {5, 31}, 3000);
    storeMonth(2024, 2, {1}, 500);
    app.registry.load(app.location.root(), app.storage);
    open();
    frame->showPastData(12, DateTime::fromFields(2024, 2, 1), 2);
  }
};

TEST_F(OutputTest, AfterPrintingTheViewsShowTheSamePeriodAndScale) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows' print dialog is the system's own: no Qt widget to answer";
#endif
  frame->periodBar().dateSelector().setCurrentIndex(4);
  frame->ApplySelection(true, true);
  frame->periodBar().scaleSelector().setCurrentIndex(9);
  Q_EMIT frame->periodBar().scaleSelector().activated(9);
  const QString shown = frame->periodBar().dateSelector().currentText();

  const std::string pdf = (dir / "print.pdf").string();
  frame->printer().setOutputFormat(QPrinter::PdfFormat);
  frame->printer().setOutputFileName(QString::fromStdString(pdf));
  ModalDriver driver;
  driver.then([](QWidget* modal) {
    auto* span = qobject_cast<CInputDataSpan*>(modal);
    if (!span) return false;
    EXPECT_FALSE(span->reportBox().isEnabled()) << "no report pages for days";
    span->endList().setCurrentIndex(span->startList().currentIndex() + 2);  // 5 to 7 January
    span->accept();
    return true;
  });
  driver.then([](QWidget* modal) {
    auto* dialog = qobject_cast<QPrintDialog*>(modal);
    if (!dialog) return false;
    dialog->accept();
    return true;
  });
  frame->action(cmd::kPrint)->trigger();
  ASSERT_TRUE(driver.done());
  EXPECT_EQ(frame->periodBar().dateSelector().currentText(), shown);
  EXPECT_EQ(doc.display().energyScale, 9);
  EXPECT_EQ(frame->periodBar().scaleSelector().currentIndex(), 9);
  // 5 January's 3000 pulses at 10:00 (7.2 kW) are on screen again, not the last page's 7 January.
  EXPECT_EQ(doc.sheet().body().text(1, 10), "7");
  ASSERT_TRUE(std::filesystem::exists(pdf));
  EXPECT_GT(std::filesystem::file_size(pdf), 1000u);
}

TEST_F(OutputTest, TheRangeDialogRefusesAnEndBeforeTheStart) {
  CInputDataSpan span(Period::Month, DateTime::fromFields(2024, 1, 1), DateTime::fromFields(2024, 2, 29),
                      DateTime::fromFields(2024, 2, 1), true, app.reporter);
  EXPECT_EQ(span.startList().count(), 2);
  EXPECT_EQ(span.startList().currentText(), "2024年 2月");
  EXPECT_TRUE(span.reportBox().isChecked());
  span.endList().setCurrentIndex(0);
  ModalDriver driver;
  driver.answer(QMessageBox::Ok);
  span.accept();
  EXPECT_EQ(driver.texts, QStringList{"開始日は終了日よりも以前にしてください"});
  EXPECT_NE(span.result(), QDialog::Accepted);
  span.endList().setCurrentIndex(1);
  span.accept();
  EXPECT_EQ(span.startDate(), DateTime::fromFields(2024, 2, 1));
  EXPECT_EQ(span.endDate(), DateTime::fromFields(2024, 2, 1));
}

TEST_F(OutputTest, TheDayDialogAcceptsOnlyDaysOfTheLoadedPeriod) {
  const DateTime first = DateTime::fromFields(2024, 1, 1), last = DateTime::fromFields(2024, 2, 29);
  CInputDay day(DateTime::fromFields(2024, 1, 5), first, last, app.reporter);
  EXPECT_EQ(day.picker().displayFormat(), "yyyy 年 MM 月 dd 日");
  day.picker().setDate(QDate(2024, 2, 29));
  day.accept();
  EXPECT_EQ(day.result(), QDialog::Accepted);
  EXPECT_EQ(day.date(), last);
  CInputDay after(DateTime::fromFields(2024, 1, 5), first, last, app.reporter);
  after.picker().setDate(QDate(2024, 3, 1));
  ModalDriver driver;
  driver.answer(QMessageBox::Ok);
  after.accept();
  EXPECT_EQ(driver.texts, QStringList{"指定の日付データは存在しません"});
}

TEST_F(OutputTest, TheCsvDialogChecksItsEntriesAndWrites) {
  frame->periodBar().kindSelector().setCurrentIndex(1);
  Q_EMIT frame->periodBar().kindSelector().activated(1);
  CCsvOut dialog(app, Period::Month, DateTime::fromFields(2024, 1, 1));
  EXPECT_EQ(dialog.fileEdit().text(), "月別_00012_2024_01.CSV");
  EXPECT_FALSE(dialog.withDays().isChecked());
  dialog.openAfterBox().setChecked(false);
  dialog.folderEdit().setText(QString::fromStdString(pathText(dir / "out" / "csv")));

  ModalDriver driver;
  driver.answer(QMessageBox::Ok);   // no file name
  driver.answer(QMessageBox::No);   // the folder is missing: not made
  driver.answer(QMessageBox::Yes);  // now made
  driver.answer(QMessageBox::Ok);   // written
  const QString name = dialog.fileEdit().text();
  dialog.fileEdit().setText("  ");
  dialog.accept();
  dialog.fileEdit().setText(name);
  dialog.accept();
  EXPECT_FALSE(std::filesystem::exists(dir / "out"));
  dialog.accept();
  ASSERT_TRUE(driver.done());
  EXPECT_EQ(driver.texts[0], "出力ファイル名を指定してください");
  EXPECT_TRUE(driver.texts[1].startsWith("指定のフォルダは存在していません\n作成しますか？"));
  EXPECT_TRUE(driver.texts[3].startsWith("テキストファイルへ正常に出力しました"));
  EXPECT_TRUE(std::filesystem::exists(dir / "out" / "csv" / pathFromText(name.toStdString())));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// "Open after output": the program text is a program with its arguments, the file added last;
// nothing goes through a shell, and a program that does not start is named.
TEST(OpenAfterOutput, TheProgramTextIsSplitAsAShellWouldAndAFailureNamesTheProgram) {
#ifdef _WIN32
  GTEST_SKIP() << "the test's program is a shell script";
#endif
  test::TempDir dir;
  const auto file = dir / "月別 データ.CSV";
  test::writeFile(file, "1,2\r\n");
  // A program in a folder with a blank, given one argument of its own: the copy's path.
  std::filesystem::create_directory(dir / "my tools");
  const auto copier = dir / "my tools" / "copier";
  test::writeFile(copier, "#!/bin/sh\ncp \"$2\" \"$1\"\n");
  std::filesystem::permissions(copier, std::filesystem::perms::owner_all);
  const auto copy = dir / "copy of it.CSV";
  const QString text =
      QStringLiteral("\"%1\" \"%2\"")
          .arg(QString::fromStdString(copier.string()), QString::fromStdString(copy.string()));
  EXPECT_EQ(openWithProgram(text, QString::fromStdString(file.string())), "");
  for (int waited = 0; waited < 5000 && !std::filesystem::exists(copy); waited += 20) QTest::qWait(20);
  EXPECT_TRUE(std::filesystem::exists(copy)) << "the arguments and the file reached the program";

  const QString failure =
      openWithProgram("/nonexistent/viewer --read-only", QString::fromStdString(file.string()));
  EXPECT_EQ(failure, "プログラムを起動出来ませんでした\n/nonexistent/viewer");
}

}  // namespace
}  // namespace pelnor
