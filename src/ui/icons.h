// The program's own icons, drawn from the SVG files of the resources at the sizes the
// menus (16 x 16) and the toolbar (32 x 32) use.
#pragma once

#include <QIcon>
#include <QString>

namespace pelnor {

// The icon of a command, or a null icon when it has none.
QIcon commandIcon(int commandId);
QIcon applicationIcon();

}  // namespace pelnor
