// Painting needs a GUI application: the commands that paint make one, offscreen when there
// is no display, with the program's Japanese face.
#pragma once

#include <QGuiApplication>
#include <memory>

namespace pelnor::cli {

std::unique_ptr<QGuiApplication> makeGuiApplication();

}  // namespace pelnor::cli
