#pragma once

#include "app/mainwindow.h"
#include "tests/support/consolecapture.h"
#include "tools/uidriver.h"

#include <memory>
#include <stdexcept>

// The main window shown, with its GL initialised; the set-up lines are not
// the test's business.
inline std::unique_ptr<MainWindow> shownWindow()
{
    ConsoleCapture quiet;
    std::unique_ptr<MainWindow> window(new MainWindow);
    if (!ui::show(*window))
        throw std::runtime_error("the main window was never shown");
    return window;
}
