// Decodes a 50 MB Base64 text and a 50 MB UU text with TUUProcessor and
// times coreutils "base64 -d" and sharutils "uudecode" on the same texts in
// the same run. Files live in a temporary folder (page cache); the coder
// works through plain POSIX file streams, as the mail client does, and
// once more through memory streams to show the coder alone.
// Usage: codec_bench [encoded megabytes, default 50]
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "BenchFileStream.h"
#include "codec/UUCoder.h"

namespace fs = std::filesystem;
using codec::MemoryStream;
using codec::TUUProcessor;
using codec::UUMethods;
using codec::bench::BenchFileStream;

namespace {

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string RandomBytes(std::size_t length) {
  std::string bytes(length, '\0');
  std::uint64_t state = 0x9E3779B97F4A7C15ULL;
  for (char& c : bytes) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    c = static_cast<char>(state >> 32);
  }
  return bytes;
}

std::string ToCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 60 + 1);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
}

// Best of three runs, in seconds.
double Time(const std::function<void()>& run) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

void DecodeFile(UUMethods method, const fs::path& in, const fs::path& out) {
  BenchFileStream input(in.string(), BenchFileStream::Mode::kRead);
  BenchFileStream output(out.string(), BenchFileStream::Mode::kCreate);
  TUUProcessor processor;
  processor.SetMethod(method);
  processor.SetInputStream(&input);
  processor.SetOutputStream(&output);
  processor.Decode();
}

double DecodeInMemory(UUMethods method, const std::string& text, const std::string& expected) {
  MemoryStream input(text);
  MemoryStream output;
  TUUProcessor processor;
  processor.SetMethod(method);
  processor.SetInputStream(&input);
  processor.SetOutputStream(&output);
  const double seconds = Time([&] {
    input.SetPosition(0);
    output.Clear();
    processor.Decode();
  });
  if (output.ToString() != expected) std::fprintf(stderr, "memory-stream output differs\n");
  return seconds;
}

void Check(const fs::path& out, const std::string& expected, const char* who) {
  if (ReadFile(out) != expected) {
    std::fprintf(stderr, "%s: output differs from the data\n", who);
    std::exit(1);
  }
}

void Report(const char* what, double megabytes, double seconds) {
  std::printf("  %-44s %7.3f s  %8.1f MB/s\n", what, seconds, megabytes / seconds);
}

void RunPair(const char* title, UUMethods method, const fs::path& ours, const fs::path& theirs, const std::string& tool,
             const std::string& raw) {
  const double megabytes = static_cast<double>(fs::file_size(ours)) / 1e6;
  std::printf("%s: %.1f MB of text (CR LF lines for the coder, LF lines for the tool)\n", title, megabytes);
  const fs::path outOurs = ours.parent_path() / "out.ours", outTheirs = ours.parent_path() / "out.tool";
  const double coder = Time([&] { DecodeFile(method, ours, outOurs); });
  Check(outOurs, raw, "TUUProcessor");
  const double memory = DecodeInMemory(method, ReadFile(ours), raw);
  const double peer = Time([&] { Shell(tool + " < '" + theirs.string() + "' > '" + outTheirs.string() + "'"); });
  Check(outTheirs, raw, tool.c_str());
  Report("TUUProcessor.Decode, file streams", megabytes, coder);
  Report("TUUProcessor.Decode, memory streams", megabytes, memory);
  Report((tool + ", files").c_str(), megabytes, peer);
  std::printf("  ratio coder (file streams) / %s: %.2f (above 1 = coder faster)\n\n", tool.c_str(), peer / coder);
}

}  // namespace

int main(int argc, char** argv) {
  const double encodedMegabytes = argc > 1 ? std::atof(argv[1]) : 50.0;
  char pattern[] = "/tmp/codec-bench.XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const fs::path dir(pattern);
  const std::string raw = RandomBytes(static_cast<std::size_t>(encodedMegabytes * 1e6 * 0.74));
  WriteFile(dir / "data.bin", raw);
  const std::string data = (dir / "data.bin").string();
  Shell("base64 -w 76 '" + data + "' > '" + (dir / "b64.lf").string() + "'");
  Shell("uuencode data.bin < '" + data + "' > '" + (dir / "uu.lf").string() + "'");
  WriteFile(dir / "b64.crlf", ToCrLf(ReadFile(dir / "b64.lf")));
  WriteFile(dir / "uu.crlf", ToCrLf(ReadFile(dir / "uu.lf")));
  std::printf("binary data: %.1f MB; best of 3 runs each\n\n", static_cast<double>(raw.size()) / 1e6);

  RunPair("Base64", codec::uuMime, dir / "b64.crlf", dir / "b64.lf", "base64 -d", raw);
  RunPair("UU", codec::uuCode, dir / "uu.crlf", dir / "uu.lf", "uudecode -o /dev/stdout", raw);
  fs::remove_all(dir);
  return 0;
}
