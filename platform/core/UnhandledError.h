#pragma once

#include <exception>
#include <functional>

namespace platform {

// Where an exception goes that leaves a handler called from the event loop
// (a timer tick, a click). Exceptions never unwind through the toolkit's loop:
// the platform layer catches them at the handler boundary and calls this.
// The window installs a handler that shows the application's error box; the
// default writes the text to standard error.
using UnhandledErrorHandler = std::function<void(const std::exception&)>;

void SetUnhandledErrorHandler(UnhandledErrorHandler handler);
void ReportUnhandledError(const std::exception& error);

// Runs action; any exception is passed to ReportUnhandledError.
void RunGuarded(const std::function<void()>& action);

}  // namespace platform
