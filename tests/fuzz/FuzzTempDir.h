#pragma once

#include <string>

// A private folder for one harness process, in /dev/shm when it exists (no
// disk flushes there) or else in TMPDIR or /tmp; removed with everything in
// it at exit. Aborts when it cannot be made.
const std::string& FuzzTempDir(const char* tag);

// Removes everything inside folder (not folder itself).
void EmptyFolder(const std::string& folder);

// The names of the entries of folder, sorted; "." and ".." left out.
std::string ListFolder(const std::string& folder);
