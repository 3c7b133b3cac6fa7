#include "CodecTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>

#include "codec/ByteSink.h"
#include "codec/PushDecoder.h"
#include "tests/support/TempFolder.h"

namespace codec::test {

std::size_t ChunkedStream::Read(void* buffer, std::size_t count) {
  if (failAt_ >= 0 && Position() >= failAt_) throw EStreamError("read failed");
  std::size_t n = std::min(count, chunk_);
  if (failAt_ >= 0) n = std::min(n, static_cast<std::size_t>(failAt_ - Position()));
  return MemoryStream::Read(buffer, n);
}

std::size_t ChunkedStream::Write(const void* buffer, std::size_t count) {
  const auto size = static_cast<std::size_t>(Size());
  return MemoryStream::Write(buffer, std::min(count, writeLimit_ > size ? writeLimit_ - size : 0));
}

namespace {

std::string Run(UUMethods method, std::string_view text, std::size_t chunk, bool decode) {
  ChunkedStream input(text, chunk);
  MemoryStream output;
  TUUProcessor processor;
  processor.SetMethod(method);
  processor.SetInputStream(&input);
  processor.SetOutputStream(&output);
  decode ? processor.Decode() : processor.Encode();
  return output.ToString();
}

}  // namespace

std::string Decode(UUMethods method, std::string_view text, std::size_t chunk) { return Run(method, text, chunk, true); }
std::string Encode(UUMethods method, std::string_view data, std::size_t chunk) { return Run(method, data, chunk, false); }

std::string Push(UUMethods method, std::string_view text, std::size_t piece) {
  MemoryStream output;
  ByteSink sink(output);
  const std::unique_ptr<PushDecoder> decoder = MakeLineDecoder(method, sink);
  for (std::size_t at = 0; at < text.size() && !decoder->Ended(); at += piece) {
    const std::string_view part = text.substr(at, piece);
    const std::size_t taken = decoder->Push(part);
    if (!decoder->Ended()) EXPECT_EQ(taken, part.size());
  }
  decoder->Finish();
  sink.Flush();
  return output.ToString();
}

std::string RandomBytes(std::size_t length, std::uint32_t seed) {
  std::mt19937 generator(seed);
  std::string bytes(length, '\0');
  for (char& c : bytes) c = static_cast<char>(generator() & 0xFF);
  return bytes;
}

std::string ToCrLf(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

std::string RunTool(const std::string& command, const std::string& input) {
  const testsupport::TempFolder temp("codec-tool");
  const std::filesystem::path folder(temp.Path());
  std::ofstream(folder / "in", std::ios::binary) << input;
  const std::string line = "cd '" + folder.string() + "' && " + command + " < in > out";
  EXPECT_EQ(std::system(line.c_str()), 0) << command << " failed (coreutils and sharutils must be installed)";
  std::ifstream file(folder / "out", std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

}  // namespace codec::test

namespace codec::test {

std::string RunPython(const std::string& script, const std::string& input) {
  char pattern[] = "/tmp/codec-python.XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  const std::filesystem::path folder(pattern);
  std::ofstream(folder / "script.py", std::ios::binary) << script;
  std::string output = RunTool("python3 '" + (folder / "script.py").string() + "'", input);
  std::filesystem::remove_all(folder);
  return output;
}

std::string Hex(const std::string& bytes) {
  static const char* const digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string Unhex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

// Runs script over the samples (one hex line each); the script answers one
// line per sample: the hex of its UTF-8 result, or "!" when Python cannot
// read the sample.
std::vector<std::string> PythonAnswers(const std::string& script, const std::vector<std::string>& samples) {
  std::string input;
  for (const std::string& sample : samples) input += Hex(sample) + "\n";
  std::istringstream lines(RunPython(script, input));
  std::vector<std::string> answers;
  for (std::string line; std::getline(lines, line);) answers.push_back(line == "!" ? "!" : Unhex(line));
  EXPECT_EQ(answers.size(), samples.size()) << "python3 must answer every sample";
  answers.resize(samples.size(), "!");
  return answers;
}

}  // namespace codec::test
