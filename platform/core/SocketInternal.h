#pragma once

// Shared by the socket sources of this folder only.
namespace platform {

// Records the error number that LastSocketError() returns next.
void SetLastSocketError(int socketError);

// Records the mapped errno and returns -1, the failure result of the calls.
int FailWithErrno(int errnoValue);

}  // namespace platform
