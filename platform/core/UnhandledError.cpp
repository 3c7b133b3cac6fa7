#include "platform/core/UnhandledError.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

namespace platform {

namespace {

void WriteToStandardError(const std::exception& error) { std::fprintf(stderr, "%s\n", error.what()); }

UnhandledErrorHandler& CurrentHandler() {
  static UnhandledErrorHandler handler = WriteToStandardError;
  return handler;
}

}  // namespace

void SetUnhandledErrorHandler(UnhandledErrorHandler handler) {
  CurrentHandler() = handler ? std::move(handler) : UnhandledErrorHandler(WriteToStandardError);
}

void ReportUnhandledError(const std::exception& error) {
  // A copy, so that a handler replacing itself does not destroy the function
  // that is running; and a failing handler must not unwind into the loop.
  UnhandledErrorHandler handler = CurrentHandler();
  try {
    handler(error);
  } catch (...) {
    WriteToStandardError(error);
  }
}

void RunGuarded(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& error) {
    ReportUnhandledError(error);
  } catch (...) {
    ReportUnhandledError(std::runtime_error("Unknown error"));
  }
}

}  // namespace platform
