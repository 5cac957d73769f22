// One QApplication for every window test, painting offscreen.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/qt_translation.h"
#include "views/fonts.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef _WIN32
  // Qt's offscreen platform on Windows takes its fonts from a folder, not from the system.
  qputenv("QT_QPA_FONTDIR", qgetenv("WINDIR") + "\\Fonts");
#endif
  QApplication app(argc, argv);
  pelnor::installFontSubstitutions();
  pelnor::installQtTranslation(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
