// For measuring start-up from outside: with PELNOR_QUIT_AFTER_FIRST_PAINT set in the
// environment, the program ends as soon as a window has painted for the first time, so that
// a whole process from exec to exit is "start to first picture" (bench/window_start). It
// prints "first paint done at N ns" (the steady clock) to standard output as it ends.
#pragma once

class QWidget;

namespace pelnor {

// Does nothing unless the variable is set.
void quitAfterFirstPaintWhenAsked(QWidget& window);

}  // namespace pelnor
