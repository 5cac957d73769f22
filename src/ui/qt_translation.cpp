#include "ui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pelnor {

bool installQtTranslation(QCoreApplication& app) {
  // The program speaks Japanese whatever the user's locale is, so Qt's dialogs do as well.
  auto* translator = new QTranslator(&app);
  if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace pelnor
