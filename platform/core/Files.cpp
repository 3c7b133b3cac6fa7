#include "platform/core/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/core/Exception.h"
#include "platform/core/RegularFile.h"

namespace platform {

namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

[[noreturn]] void RaiseFileError(const std::string& what, int errorNumber) {
  throw EFileError(what + ": " + std::strerror(errorNumber));
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  std::string::size_type slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Writes go to the file a symbolic link points at, so that replacing the file
// does not turn the link into a plain file.
std::string ResolveTarget(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

// Creates a fresh file next to target with O_EXCL so that no other file is
// ever opened by accident. The umask applies to mode as for any new file.
int CreateTemporaryBeside(const std::string& target, mode_t mode, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Why a folder cannot be made at path when an entry of that name is there:
// ": " and what it is, or nothing when the name is free.
std::string WhatIsInTheWay(const std::string& path) {
  struct stat entry {};
  if (path.empty() || ::lstat(path.c_str(), &entry) != 0) return std::string();
  if (!S_ISLNK(entry.st_mode)) return ": " + EntryKind(entry.st_mode) + " of that name is in the way";
  std::string target(PATH_MAX, '\0');
  const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
  target.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  struct stat linked {};
  if (::stat(path.c_str(), &linked) != 0) return ": it is a symbolic link to " + target + ", which does not exist";
  return ": it is a symbolic link to " + target + ", which is " + EntryKind(linked.st_mode) + ", not a folder";
}

// Reads fd to its end, but at most limit bytes; truncated tells whether
// there was more.
std::string ReadAtMost(int fd, std::size_t limit, const std::string& what, bool& truncated) {
  truncated = false;
  std::string content;
  char buffer[65536];
  for (;;) {
    // One byte past the limit tells a file of exactly limit bytes from a
    // longer one.
    std::size_t room = limit - std::min(limit, content.size());
    std::size_t wanted = room >= sizeof buffer ? sizeof buffer : room + 1;
    ssize_t got = ::read(fd, buffer, wanted);
    if (got < 0) {
      if (errno == EINTR) continue;
      RaiseFileError(what, errno);
    }
    if (got == 0) return content;
    content.append(buffer, static_cast<std::size_t>(got));
    if (content.size() > limit) {
      content.resize(limit);
      truncated = true;
      return content;
    }
  }
}

// How the messages of ReadRegularFile and CheckRegularFile name the file.
std::string NamedFile(const std::string& path, const std::string& name) {
  return (name.empty() ? "" : name + " ") + Quoted(path);
}

// Opens path for reading when it is a regular file of at most maxBytes.
int OpenWithinBound(const std::string& path, std::size_t maxBytes, const std::string& named) {
  FdGuard guard(OpenRegularFile(path, O_RDONLY, 0, "Cannot open " + named));
  RequireSizeAtMost(guard.Get(), maxBytes, "Cannot read " + named);
  return guard.Release();
}

void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the rename itself has already succeeded
  ::close(fd);
}

}  // namespace

bool FolderExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void CreateFolder(const std::string& path, FileAccess access) {
  mode_t mode = access == FileAccess::OwnerOnly ? 0700 : 0777;
  if (!path.empty() && ::mkdir(path.c_str(), mode) == 0) return;
  if (FolderExists(path)) return;
  throw EFileError("Cannot create " + path + WhatIsInTheWay(path));
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

void RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return;
  RaiseFileError("Cannot delete " + Quoted(path), errno);
}

void RenameFile(const std::string& from, const std::string& to) {
  std::string what = "Cannot rename " + Quoted(from) + " to " + Quoted(to);
  auto fail = [&what](int errorNumber) {
    if (errorNumber == EEXIST) throw EFileExists(what + ": " + std::strerror(errorNumber));
    RaiseFileError(what, errorNumber);
  };
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno != EINVAL && errno != ENOSYS) fail(errno);
  // The file system cannot rename without replacing: a hard link fails on an
  // existing name just the same.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return;
  }
  if (errno == EEXIST) fail(errno);
  if (EntryExists(to)) fail(EEXIST);
  if (::rename(from.c_str(), to.c_str()) != 0) fail(errno);
}

bool EntryExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::lstat(path.c_str(), &info) == 0;
}

std::size_t MaxFileNameBytes(const std::string& folder) {
  const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  return limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
}

std::optional<std::string> ReadFileIfExists(const std::string& path) {
  bool truncated = false;
  return ReadFileIfExists(path, std::numeric_limits<std::size_t>::max(), truncated);
}

std::optional<std::string> ReadFileIfExists(const std::string& path, std::size_t limit, bool& truncated) {
  truncated = false;
  const int fd = OpenRegularFile(path, O_RDONLY, 0, "Cannot open " + Quoted(path), IfMissing::ReturnNothing);
  if (fd < 0) return std::nullopt;
  FdGuard guard(fd);
  return ReadAtMost(fd, limit, "Cannot read " + Quoted(path), truncated);
}

std::string ReadRegularFile(const std::string& path, std::size_t maxBytes, const std::string& name) {
  const std::string named = NamedFile(path, name);
  FdGuard guard(OpenWithinBound(path, maxBytes, named));
  bool truncated = false;
  std::string content = ReadAtMost(guard.Get(), maxBytes, "Cannot read " + named, truncated);
  // The file grew after its size was looked at.
  if (truncated) RaiseUnusableFile("Cannot read " + named, TooLargeProblem(maxBytes));
  return content;
}

void CheckRegularFile(const std::string& path, std::size_t maxBytes, const std::string& name) {
  FdGuard guard(OpenWithinBound(path, maxBytes, NamedFile(path, name)));
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::string> ReadTextLines(const std::string& path) {
  std::optional<std::string> content = ReadFileIfExists(path);
  if (!content) RaiseFileError("Cannot open " + Quoted(path), ENOENT);
  return SplitLines(*content);
}

void WriteFileReplacing(const std::string& path, std::string_view bytes, FileAccess access) {
  WriteFileReplacing(path, {bytes}, access);
}

void WriteFileReplacing(const std::string& path, std::initializer_list<std::string_view> pieces, FileAccess access) {
  const std::string target = ResolveTarget(path);
  const std::string what = "Cannot write " + Quoted(path);
  mode_t mode = access == FileAccess::OwnerOnly ? 0600 : 0666;
  bool keepMode = false;
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0) {
    // Renaming over a named pipe or a device would put a file in its place.
    if (!S_ISREG(existing.st_mode)) RaiseUnusableFile(what, NotRegularFileProblem(existing.st_mode));
    // The rename would succeed on a read-only file; honour the file's mode.
    if (::access(target.c_str(), W_OK) != 0) RaiseFileError(what, errno);
    keepMode = access != FileAccess::OwnerOnly;
  }

  std::string temporary;
  int fd = CreateTemporaryBeside(target, access == FileAccess::OwnerOnly ? 0600 : 0666, temporary);
  if (fd < 0) RaiseFileError(what, errno);
  FdGuard guard(fd);
  if (keepMode) mode = existing.st_mode & 07777;
  bool fixMode = keepMode || access == FileAccess::OwnerOnly;
  const bool written =
      std::all_of(pieces.begin(), pieces.end(), [fd](std::string_view piece) { return WriteAll(fd, piece); });
  if ((fixMode && ::fchmod(fd, mode) != 0) || !written || ::fsync(fd) != 0 ||
      guard.Close() != 0 || ::rename(temporary.c_str(), target.c_str()) != 0) {
    int error = errno;
    ::unlink(temporary.c_str());
    RaiseFileError(what, error);
  }
  SyncFolder(FolderOf(target));
}

void WriteTextFile(const std::string& path, std::string_view text, FileAccess access) {
  WriteFileReplacing(path, text, access);
}

}  // namespace platform
