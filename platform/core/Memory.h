#pragma once

namespace platform {

// Hands memory the program has freed back to the system where the
// allocator would otherwise keep it for later use: after a large message
// has been shown, its lines are freed in many small pieces that the C
// library's heap does not return on its own. Does nothing where the
// allocator offers no such call.
void ReleaseFreedMemory();

}  // namespace platform
