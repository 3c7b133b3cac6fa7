#pragma once

namespace platform {

// One pass over every pending application event (user input, socket
// notifications, timer ticks). Handlers of the whole program may run inside.
void PumpEvents();

// Blocks until at least one event is pending or maxMs have elapsed, then
// processes what is pending. Used by waits that must not spin.
void WaitForEvents(int maxMs);

// Suspends the thread for ms milliseconds without processing events.
void Sleep(unsigned ms);

}  // namespace platform
