#include "ui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pelnor {

bool installQtTranslation(QCoreApplication& app) {
  // The program speaks Japanese whatever the user's locale is, so Qt's dialogs do as well.
  // Qt's catalogue is where the system keeps Qt's, or beside the program that ships its own
  // (the Windows build).
  auto* translator = new QTranslator(&app);
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                QCoreApplication::applicationDirPath() + "/translations"}) {
    if (translator->load(japanese, "qtbase", "_", folder)) return QCoreApplication::installTranslator(translator);
  }
  delete translator;
  return false;
}

}  // namespace pelnor
