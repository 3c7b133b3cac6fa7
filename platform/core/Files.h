#pragma once

#include <cstddef>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Who may read a file or folder that an operation creates.
enum class FileAccess {
  Shared,     // the usual mode, narrowed by the process's umask
  OwnerOnly,  // 0600 for files, 0700 for folders
};

// True when path names an existing folder (symbolic links followed).
bool FolderExists(const std::string& path);

// Creates the folder path; its parent must exist. An existing folder, or a
// symbolic link to one, is left as it is. Raises EFileError with the text
// "Cannot create " + path when the folder cannot be created, followed by
// ": " and what is in the way when the name is taken by something else (a
// file, a named pipe, a symbolic link to no folder or to nothing).
void CreateFolder(const std::string& path, FileAccess access = FileAccess::Shared);

// True when path names something that exists and is not a folder.
bool FileExists(const std::string& path);

// Moves the file from to the name to, which must not exist yet (so a file
// already there is never replaced). Meant for renames within one folder.
// Raises EFileError naming both files when the move fails, EFileExists when
// the name to is taken (by any entry, a dangling symbolic link included).
void RenameFile(const std::string& from, const std::string& to);

// True when path names any entry at all: a file, a folder, or a symbolic
// link, which is not followed (so a dangling one counts too).
bool EntryExists(const std::string& path);

// The longest file name, in bytes, that the file system of folder takes
// (255 where it cannot tell).
std::size_t MaxFileNameBytes(const std::string& folder);

// Removes the file path (a link is removed, not followed). A file that is
// already gone is no error. Raises EFileError naming the file otherwise.
void RemoveFile(const std::string& path);

// Every read below opens its file without ever waiting on it and takes
// regular files only (symbolic links followed): a folder, a named pipe, a
// device or a socket raises EUnusableFile naming the path and saying what it
// is, before anything is read.

// The whole content of path as bytes; nullopt when path does not exist.
// Raises EFileError naming the file when it exists but cannot be read.
std::optional<std::string> ReadFileIfExists(const std::string& path);

// The same, reading at most limit bytes; truncated tells whether the file
// held more than that.
std::optional<std::string> ReadFileIfExists(const std::string& path, std::size_t limit, bool& truncated);

// The whole content of path, a file that must exist and hold at most
// maxBytes (a longer one raises EUnusableFile before it is read). The
// messages name the file as name followed by the quoted path, e.g. name
// "the CA file" gives 'Cannot open the CA file "/etc/ca.pem": ...'.
std::string ReadRegularFile(const std::string& path, std::size_t maxBytes, const std::string& name = "");

// Checks, as ReadRegularFile would, that path can be opened for reading and
// is a file of at most maxBytes, without reading it; raises what
// ReadRegularFile raises.
void CheckRegularFile(const std::string& path, std::size_t maxBytes, const std::string& name = "");

// Splits text into lines at CR LF, LF or a lone CR. The terminator after the
// last line is optional and does not add an empty line.
std::vector<std::string> SplitLines(std::string_view text);

// The lines of the text file path (see SplitLines). Raises EFileError
// naming the file when it is missing or cannot be read.
std::vector<std::string> ReadTextLines(const std::string& path);

// Replaces path with exactly bytes, or creates it. The bytes go to a
// temporary file in the same folder that is flushed to disk and then renamed
// over path, so path holds either its old or its new content, never a part.
// A new file gets the mode of access; an existing one keeps its mode unless
// access is OwnerOnly, which always leaves 0600. A symbolic link is followed
// and its target replaced. Only a free name or a regular file is replaced:
// anything else (a folder, a named pipe, a device, a socket) raises
// EUnusableFile saying what it is. A file that exists but is read-only is
// refused.
// Raises EFileError naming the file on any failure; the temporary file is
// removed again.
void WriteFileReplacing(const std::string& path, std::string_view bytes,
                        FileAccess access = FileAccess::Shared);
// The same with the file's bytes given in pieces, written one after the
// other: a large text and what follows it need not be joined first.
void WriteFileReplacing(const std::string& path, std::initializer_list<std::string_view> pieces,
                        FileAccess access = FileAccess::Shared);

// Writes text to path as it stands (no line ends added or converted),
// replacing the file safely as WriteFileReplacing does.
void WriteTextFile(const std::string& path, std::string_view text,
                   FileAccess access = FileAccess::Shared);

}  // namespace platform
