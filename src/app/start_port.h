#pragma once

// Which port the main window opens at start-up.
enum class StartPort {
    // The first in the list, and nothing remembered: ports given on the
    // command line come first, and a trial run must not replace the
    // operator's adapter in the memory.
    First,
    // The port the operator last opened, when it is present now, else the
    // first; every port then opened is remembered.
    Remembered,
};
