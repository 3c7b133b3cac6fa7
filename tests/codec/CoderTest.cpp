#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CodecTestSupport.h"
#include "codec/CodedLineSplitter.h"

namespace codec::test {
namespace {

TEST(TUUProcessorEncode, WritesBase64AndUULines) {
  EXPECT_EQ(Encode(uuMime, "ABC"), "QUJD\r\n");
  EXPECT_EQ(Encode(uuMime, "AB"), "QUI=\r\n");
  EXPECT_EQ(Encode(uuMime, "A"), "QQ==\r\n");
  EXPECT_EQ(Encode(uuMime, ""), "");
  EXPECT_EQ(Encode(uuMime, std::string(46, '\0')), std::string(60, 'A') + "\r\nAA==\r\n");
  EXPECT_EQ(Encode(uuCode, "abc"), "#86)C\r\n`\r\n");
  EXPECT_EQ(Encode(uuCode, "AB"), "\"04(\r\n`\r\n");
  EXPECT_EQ(Encode(uuCode, ""), "`\r\n");
  EXPECT_EQ(Encode(uuCode, std::string(45, '\0')), "M" + std::string(60, '`') + "\r\n`\r\n");
}

// Short reads do not make short lines: every line but the last holds 45 bytes.
TEST(TUUProcessorEncode, ShortReadsKeepFullLines) {
  const std::string data = RandomBytes(1000, 3);
  for (UUMethods method : {uuMime, uuCode})
    for (std::size_t chunk : {1U, 16U, 1024U}) EXPECT_EQ(Encode(method, data, chunk), Encode(method, data, 4096)) << chunk;
}

class TUUProcessorCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto [setter, name] : {std::pair{&TUUProcessor::SetOnBeginEncode, "BeginEncode"},
                                {&TUUProcessor::SetOnEndEncode, "EndEncode"},
                                {&TUUProcessor::SetOnBeginDecode, "BeginDecode"},
                                {&TUUProcessor::SetOnEndDecode, "EndDecode"}})
      (processor.*setter)([this, name](TUUProcessor* sender) { calls.push_back(sender == &processor ? name : "?"); });
  }
  void Use(Stream& input, Stream& output) {
    processor.SetInputStream(&input);
    processor.SetOutputStream(&output);
  }
  TUUProcessor processor;
  std::vector<std::string> calls;
};

TEST_F(TUUProcessorCalls, EncodeReadsFromTheStartAndRewindsTheOutput) {
  EXPECT_EQ(processor.Method(), uuMime);
  MemoryStream input("ABCABC"), output;
  input.SetPosition(4);
  Use(input, output);
  processor.SetMethod(uuCode);
  processor.Encode();
  EXPECT_EQ(output.ToString(), "&04)#04)#\r\n`\r\n");
  EXPECT_EQ(output.Position(), 0);
  EXPECT_EQ(processor.Alphabet(), kUUAlphabet);
  EXPECT_EQ(calls, (std::vector<std::string>{"BeginEncode", "EndEncode"}));
}

TEST_F(TUUProcessorCalls, EncodeFinishesEvenWhenReadingFails) {
  ChunkedStream input(std::string(500, 'x'), 64, 200);
  MemoryStream output;
  Use(input, output);
  EXPECT_THROW(processor.Encode(), EStreamError);
  EXPECT_EQ(output.Position(), 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"BeginEncode", "EndEncode"}));
}

TEST_F(TUUProcessorCalls, DecodeWorksFromBothCurrentPositionsAndStopsAfterPadding) {
  MemoryStream input("skip\r\nQUJD\r\nQUI=\r\nQUJD\r\n"), output("xy");
  input.SetPosition(6);
  output.SetPosition(2);
  Use(input, output);
  processor.Decode();
  EXPECT_EQ(output.ToString(), "xyABCAB");
  EXPECT_EQ(input.Position(), 18);  // just after the padded line
  EXPECT_EQ(calls, (std::vector<std::string>{"BeginDecode", "EndDecode"}));
}

TEST_F(TUUProcessorCalls, ReadErrorKeepsDecodedBytesAndSkipsEndEvent) {
  const std::string data = RandomBytes(4500, 5);
  ChunkedStream input(Encode(uuMime, data), 100, 620);  // ten lines of 62 bytes, then an error
  MemoryStream output;
  Use(input, output);
  EXPECT_THROW(processor.Decode(), EStreamError);
  EXPECT_EQ(output.ToString(), data.substr(0, 450));
  EXPECT_EQ(calls, (std::vector<std::string>{"BeginDecode"}));
}

TEST_F(TUUProcessorCalls, ShortWriteAndMissingStreamRaise) {
  MemoryStream input(Encode(uuCode, RandomBytes(900, 6)));
  ChunkedStream output("", 4096, -1, 100);
  processor.SetMethod(uuCode);
  EXPECT_THROW(processor.Decode(), EStreamError);
  EXPECT_TRUE(calls.empty());
  Use(input, output);
  EXPECT_THROW(processor.Decode(), EStreamError);
  EXPECT_EQ(output.Size(), 100);
}

// The lines a splitter hands on when text is pushed chunk bytes at a time.
std::vector<std::string> Lines(const std::string& text, std::size_t chunk) {
  struct Collector : CodedLineReceiver {
    std::vector<std::string> lines;
    std::string line;
    void LineText(std::string_view t) override { line += t; }
    void LineEnd() override { lines.push_back(std::exchange(line, {})); }
  } collector;
  CodedLineSplitter splitter(collector);
  for (std::size_t at = 0; at < text.size(); at += chunk)
    EXPECT_EQ(splitter.Push(std::string_view(text).substr(at, chunk)), std::min(chunk, text.size() - at));
  splitter.Finish();
  return collector.lines;
}

TEST(CodedLineSplitter, SplitsLinesHoweverTheBytesArrive) {
  const std::vector<std::string> expected{"one", "", "two", "three\r", "last"};
  for (std::size_t chunk : {1U, 2U, 16U, 1024U, 4096U})
    EXPECT_EQ(Lines("one\r\n\r\ntwo\nthree\r\r\nlast", chunk), expected) << chunk;
  EXPECT_TRUE(Lines("", 1).empty());
}

TEST(CodedLineSplitter, CutsOverlongLinesIntoConsecutivePieces) {
  const std::size_t max = CodedLineSplitter::kMaxLineLength;
  std::string text = RandomBytes(2 * max + 10, 9);
  std::replace(text.begin(), text.end(), '\n', 'x');
  for (std::size_t chunk : {1000U, 70000U}) {
    const std::vector<std::string> lines = Lines(text + "\r\nnext\r\n", chunk);
    ASSERT_EQ(lines.size(), 4U);
    EXPECT_EQ(lines[0].size(), max);
    EXPECT_EQ(lines[0] + lines[1] + lines[2], text);
    EXPECT_EQ(lines[3], "next");
  }
}

TEST(MemoryStream, GapsReadAsZerosAndBufferCallsRaise) {
  MemoryStream stream("hello");
  stream.SetPosition(7);
  stream.WriteBuffer("!", 1);
  EXPECT_EQ(stream.ToString(), std::string("hello\0\0!", 8));
  char buffer[8];
  stream.SetPosition(6);
  EXPECT_EQ(stream.Read(buffer, 8), 2U);
  EXPECT_THROW(stream.ReadBuffer(buffer, 1), EStreamError);
  EXPECT_THROW(stream.SetPosition(-1), EStreamError);
}

}  // namespace
}  // namespace codec::test
