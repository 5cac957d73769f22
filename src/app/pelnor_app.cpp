#include "app/pelnor_app.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <cstdlib>
#include <ctime>

#include "app/app_context.h"
#include "app/main_frame.h"
#include "app/pelnor_doc.h"
#include "app/quit_signal.h"
#include "app/single_instance.h"
#include "data/own_root.h"
#include "ui/deferred_icons.h"
#include "ui/first_paint_quit.h"
#include "ui/icons.h"
#include "ui/qt_translation.h"
#include "views/fonts.h"

namespace pelnor {

int CPelnorApp::run(QApplication& qtApp) {
  QApplication::setApplicationName("Pelnor");
  QApplication::setWindowIcon(applicationIcon());
  // The style chosen (the platform's, or -style), with the bars' overflow icons made when shown.
  // The proxy takes the style over as its child, so setting the proxy does not delete it.
  QApplication::setStyle(new DeferredIconsStyle(QApplication::style()));
  installFontSubstitutions();
  installQtTranslation(qtApp);

  // A second start hands over to the first before it touches any file or folder.
  CMainFrame* shown = nullptr;
  SingleInstance instance;
  if (!instance.claim([&shown] {
        if (!shown) return;
        shown->setWindowState(shown->windowState() & ~Qt::WindowMinimized);
        shown->raise();
        shown->activateWindow();
      })) {
    QApplication::beep();
    return EXIT_FAILURE;
  }

  // Settings, device master, data and logs live in the own data root: the program's folder,
  // or the user's own folder for an installed program.
  const QFileInfo program(QCoreApplication::applicationFilePath());
  const std::filesystem::path programDir = ownDataRoot(pathFromText(program.absolutePath().toStdString()));
  AppContext app(programDir, program.completeBaseName().toStdString());
  if (const QString& problem = instance.channelProblem(); !problem.isEmpty()) {
    qWarning().noquote() << problem;
    app.appLog.WriteLine(problem.toStdString());
  }

  bool starting = true;
  const std::string installationId = readInstallationId();
  app.settings.Load(installationId, app.location);
  app.applySettings();
  QDir::setCurrent(QString::fromStdString(pathText(programDir)));
  app.settings.WriteCheckSection(PELNOR_VERSION_TEXT, PELNOR_VERSION_TEXT);
  std::srand(static_cast<unsigned>(std::time(nullptr)));

  CPelnorDoc doc(app);
  auto frame = std::make_unique<CMainFrame>(app, doc);
  shown = frame.get();
  app.guiReporter.setParentWindow(frame.get());
  doc.firstInit();
  frame->applyPlacement(app.settings);
  quitAfterFirstPaintWhenAsked(*frame);
  frame->showNormal();
  quitOnTerminationSignals(*frame, [&frame] { frame->close(); });
  starting = false;

  const int status = qtApp.exec();
  if (!starting) app.settings.Save(installationId, app.location);
  return status;
}

}  // namespace pelnor
