#pragma once

namespace app {

// The shape of every window command that must give the window back however
// its work ends: runs work, then finish; when work throws, finish runs first
// and the exception then goes on to the caller (the application's error box).
// A finish that throws on that path replaces the work's exception.
template <class Work, class Finish>
void RunThenFinish(Work&& work, Finish&& finish) {
  try {
    work();
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

}  // namespace app
