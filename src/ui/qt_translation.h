// Qt's own texts (file, colour, page set-up and print dialogs, standard buttons) in Japanese,
// as the rest of the program.
#pragma once

class QCoreApplication;

namespace pelnor {

// Installs Qt's Japanese catalogue from Qt's translations folder. Without the catalogue Qt
// keeps its English texts: returns false then, and nothing else changes.
bool installQtTranslation(QCoreApplication& app);

}  // namespace pelnor
