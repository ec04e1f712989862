#pragma once

#include "app/start_port.h"

// The application: runs the main window modally; the program ends with it.
class CDriversControlApp {
public:
    // Returns once the main window has closed.
    int InitInstance(StartPort startPort);
};
