#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "FilesTestSupport.h"
#include "codec/Stream.h"
#include "platform/core/Exception.h"
#include "platform/core/FileStream.h"
#include "platform/core/Files.h"
#include "tests/support/NonRegularEntry.h"

namespace {

using files_test::ReadBytes;
using files_test::TempFolder;
using files_test::WriteBytes;
using platform::EFileError;
using platform::FileOpenMode;
using platform::FileStream;

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string ReadAllInChunks(FileStream& stream, std::size_t chunk) {
  std::string result;
  std::string buffer(chunk, '\0');
  while (std::size_t got = stream.Read(buffer.data(), chunk)) result.append(buffer, 0, got);
  return result;
}

TEST(TFileStreamTest, CreateWritesAndReplacesTheFile) {
  TempFolder folder;
  std::string path = folder.File("out.bin");
  WriteBytes(path, "a much longer old content");
  FileStream stream(path, FileOpenMode::Create);
  EXPECT_EQ(stream.Size(), 0);
  stream.WriteBuffer("hello", 5);
  EXPECT_EQ(stream.Position(), 5);
  EXPECT_EQ(stream.Size(), 5);
  stream.Close();
  EXPECT_EQ(ReadBytes(path), "hello");
  EXPECT_THROW(stream.Write("x", 1), EFileError);
}

// CreateNew and RenameFile take only a free name: a file, a folder and a
// symbolic link (dangling or not) all count as taken, with EFileExists, and
// nothing is written through a link.
TEST(TFileStreamTest, CreateNewAndRenameRefuseEveryExistingEntryAndFollowNoLink) {
  TempFolder folder;
  TempFolder outside;
  WriteBytes(folder.File("file"), "kept");
  std::filesystem::create_directory(folder.File("folder"));
  std::filesystem::create_symlink(outside.File("target"), folder.File("dangling"));
  std::filesystem::create_symlink(folder.File("file"), folder.File("link"));
  WriteBytes(folder.File("source"), "moved");
  for (const char* taken : {"file", "folder", "dangling", "link"}) {
    EXPECT_TRUE(platform::EntryExists(folder.File(taken))) << taken;
    EXPECT_THROW(FileStream(folder.File(taken), FileOpenMode::CreateNew), platform::EFileExists) << taken;
    EXPECT_THROW(platform::RenameFile(folder.File("source"), folder.File(taken)), platform::EFileExists) << taken;
  }
  EXPECT_FALSE(std::filesystem::exists(outside.File("target"))) << "written through a dangling link";
  EXPECT_EQ(ReadBytes(folder.File("file")), "kept");
  EXPECT_FALSE(platform::EntryExists(folder.File("new")));
  FileStream fresh(folder.File("new"), FileOpenMode::CreateNew);
  fresh.WriteBuffer("x", 1);
  fresh.Close();
  EXPECT_EQ(ReadBytes(folder.File("new")), "x");
}

TEST(TFileStreamTest, ReadsAFileWhateverTheChunkSize) {
  TempFolder folder;
  std::string path = folder.File("in.bin");
  std::string content = RandomBytes(200000, 7);
  WriteBytes(path, content);
  for (std::size_t chunk : {1u, 16u, 1024u, 4096u, 100000u}) {
    FileStream stream(path, FileOpenMode::OpenRead);
    EXPECT_EQ(stream.Size(), 200000);
    EXPECT_EQ(ReadAllInChunks(stream, chunk), content) << "chunk " << chunk;
    EXPECT_EQ(stream.Position(), 200000);
  }
}

TEST(TFileStreamTest, WritesReachTheFileWhateverTheChunkSize) {
  TempFolder folder;
  std::string content = RandomBytes(150000, 11);
  for (std::size_t chunk : {1u, 16u, 4096u, 70000u}) {
    std::string path = folder.File("chunk" + std::to_string(chunk));
    {
      FileStream stream(path, FileOpenMode::Create);
      for (std::size_t at = 0; at < content.size(); at += chunk) {
        std::size_t count = std::min(chunk, content.size() - at);
        EXPECT_EQ(stream.Write(content.data() + at, count), count);
      }
      EXPECT_EQ(stream.Size(), 150000);
    }  // the destructor writes what is pending
    EXPECT_EQ(ReadBytes(path), content) << "chunk " << chunk;
  }
}

TEST(TFileStreamTest, PositionMovesReadsAndOverwrites) {
  TempFolder folder;
  std::string path = folder.File("seek.bin");
  FileStream stream(path, FileOpenMode::Create);
  stream.WriteBuffer("0123456789", 10);
  stream.SetPosition(2);
  stream.WriteBuffer("AB", 2);
  stream.SetPosition(0);
  char buffer[10];
  stream.ReadBuffer(buffer, 10);
  EXPECT_EQ(std::string(buffer, 10), "01AB456789");
  EXPECT_EQ(stream.Read(buffer, 10), 0u);

  stream.SetPosition(12);
  stream.WriteBuffer("Z", 1);
  EXPECT_EQ(stream.Size(), 13);
  stream.SetPosition(9);
  stream.ReadBuffer(buffer, 4);
  EXPECT_EQ(std::string(buffer, 4), std::string("9\0\0Z", 4));
  EXPECT_THROW(stream.SetPosition(-1), codec::EStreamError);
  stream.Close();
  EXPECT_EQ(ReadBytes(path), std::string("01AB456789\0\0Z", 13));
}

// Reading a part file back, or making one afresh, never opens a named pipe,
// a device or a socket in its place: that open could wait for ever.
TEST(TFileStreamTest, OpensNothingButARegularFileAndNeverWaits) {
  TempFolder folder;
  for (testsupport::NonRegularEntry::Kind kind : testsupport::kEveryNonRegularKind) {
    testsupport::NonRegularEntry entry(kind, folder.File("Temp1.mme"));
    SCOPED_TRACE(entry.Name());
    for (FileOpenMode mode : {FileOpenMode::OpenRead, FileOpenMode::Create}) {
      try {
        FileStream stream(entry.Path(), mode);
        ADD_FAILURE() << "opened";
      } catch (const platform::EUnusableFile& error) {
        EXPECT_EQ(error.Problem(), "it is " + entry.Words() + ", not a regular file");
        EXPECT_NE(error.Message().find("\"" + entry.Path() + "\""), std::string::npos) << error.Message();
      }
    }
    EXPECT_THROW(FileStream(entry.Path(), FileOpenMode::CreateNew), platform::EFileExists);
    EXPECT_TRUE(entry.Unchanged());
    EXPECT_FALSE(entry.Waited()) << "an open waited on the named pipe";
  }
}

TEST(TFileStreamTest, FailuresNameTheFile) {
  TempFolder folder;
  std::string missing = folder.File("missing.mme");
  try {
    FileStream stream(missing, FileOpenMode::OpenRead);
    FAIL() << "no error";
  } catch (const EFileError& error) {
    EXPECT_NE(std::string(error.what()).find("\"" + missing + "\""), std::string::npos) << error.what();
  }
  EXPECT_THROW(FileStream(folder.File("no/folder.txt"), FileOpenMode::Create), EFileError);

  WriteBytes(missing, "data");
  FileStream reader(missing, FileOpenMode::OpenRead);
  EXPECT_THROW(reader.Write("x", 1), EFileError);
  EXPECT_EQ(ReadBytes(missing), "data");
}

}  // namespace
