// Pelnor: collects, stores, shows and prints the readings of demand monitoring devices.
#include <QApplication>

#include "app/pelnor_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return pelnor::CPelnorApp::run(app);
}
