// The structure walk over a message's body lines, handed over one at a
// time: delimiters as whole lines, nested multiparts, part headers, and
// bodies that end without a closing delimiter or cannot be split.

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "pop3/MimeWalk.h"

namespace {

using Lines = std::vector<std::string>;

struct DelimiterCase {
  const char* line;
  bool delimiter;
  bool closing;
};

TEST(IsDelimiterLine, OnlyWholeLinesOfTheBoundary) {
  const DelimiterCase cases[] = {
      {"--abc", true, false},        {"--abc--", true, true},   {"--abc \t", true, false},
      {"--abc-- ", true, true},      {"--abc-1", false, false}, {"--abcd", false, false},
      {"x--abc", false, false},      {"-abc", false, false},    {"--ab", false, false},
      {"--abc--x", false, false},    {"abc", false, false},     {"", false, false},
  };
  for (const DelimiterCase& c : cases) {
    bool closing = false;
    EXPECT_EQ(pop3::IsDelimiterLine(c.line, "abc", closing), c.delimiter) << c.line;
    EXPECT_EQ(closing, c.closing) << c.line;
  }
}

// Records what the walk hands on.
class MimeWalkTest : public ::testing::Test, protected pop3::MimeWalkReceiver {
 protected:
  struct Leaf {
    pop3::PartHeader header;
    Lines body;
    bool lastLineEnd = false;
    bool headerEnded = true;
  };

  // Walks lines_, line by line, as the body of a message whose Content-Type
  // is type; false when the message could not be split.
  bool Walk(const std::string& type) {
    leaves_.clear();
    unsplit_.clear();
    unsplittable_ = false;
    const Lines header = {"Content-Type: " + type};
    pop3::MimeWalker walker(pop3::ParsePartHeader(header, 0, header.size(), "text/plain"), *this);
    for (const std::string& line : lines_) walker.TakeLine(line);
    walker.Finish();
    return !unsplittable_;
  }

  // The body lines of leaf i.
  Lines Body(std::size_t i) const { return leaves_.at(i).body; }

  void LeafBegins(const pop3::MimeLeaf& leaf) override { leaves_.push_back({leaf.header, {}, false, leaf.headerEnded}); }
  void LeafLine(std::string_view line) override { leaves_.back().body.emplace_back(line); }
  void LeafEnds(bool lastLineEnd) override { leaves_.back().lastLineEnd = lastLineEnd; }
  void Unsplittable(pop3::TextLines lines) override {
    unsplittable_ = true;
    lines.ForEachLine([this](std::string_view line) { unsplit_.emplace_back(line); });
  }

  Lines lines_;
  std::vector<Leaf> leaves_;
  Lines unsplit_;
  bool unsplittable_ = false;
};

TEST_F(MimeWalkTest, NestedMultipartsAreDescendedWithTheirOwnHeaders) {
  lines_ = {"preamble",
            "--out",
            "Content-Type: multipart/alternative; boundary=in",
            "",
            "--in",
            "",
            "plain",
            "--in",
            "Content-Type: text/html",
            "",
            "<p>html</p>",
            "--in--",
            "--out",
            "Content-Type: application/pdf; name=a.pdf",
            "Content-Transfer-Encoding: base64",
            "",
            "QUJD",
            "--out--",
            "epilogue"};
  ASSERT_TRUE(Walk("multipart/mixed; boundary=out"));
  ASSERT_EQ(leaves_.size(), 3u);
  EXPECT_EQ(leaves_[0].header.type, "text/plain");
  EXPECT_EQ(Body(0), Lines{"plain"});
  EXPECT_EQ(leaves_[1].header.type, "text/html");
  EXPECT_EQ(Body(1), Lines{"<p>html</p>"});
  EXPECT_EQ(leaves_[2].header.fileName, "a.pdf");
  EXPECT_EQ(leaves_[2].header.encoding, "base64");
  EXPECT_EQ(Body(2), Lines{"QUJD"});
  EXPECT_FALSE(leaves_[2].lastLineEnd);
}

TEST_F(MimeWalkTest, InnerBoundaryExtendingTheOuterOneDoesNotEndTheOuterPart) {
  lines_ = {"--b886",
            "Content-Type: multipart/related; boundary=\"b886-1\"",
            "",
            "--b886-1",
            "",
            "text",
            "--b886-1--",
            "--b886",
            "Content-Type: image/png",
            "",
            "iVBO",
            "--b886--"};
  ASSERT_TRUE(Walk("multipart/mixed; boundary=\"b886\""));
  ASSERT_EQ(leaves_.size(), 2u);
  EXPECT_EQ(Body(0), Lines{"text"});
  EXPECT_EQ(leaves_[1].header.type, "image/png");
  EXPECT_EQ(Body(1), Lines{"iVBO"});
}

TEST_F(MimeWalkTest, MissingClosingDelimiterEndsTheLastPartAtTheEnd) {
  lines_ = {"--b", "Content-Type: image/gif", "", "R0lG", "", "--b", "Content-Type: image/png", "", "iVBO", ""};
  ASSERT_TRUE(Walk("multipart/mixed; boundary=b"));
  ASSERT_EQ(leaves_.size(), 2u);
  EXPECT_EQ(Body(0), (Lines{"R0lG", ""}));
  EXPECT_FALSE(leaves_[0].lastLineEnd);
  EXPECT_EQ(Body(1), (Lines{"iVBO", ""}));
  EXPECT_TRUE(leaves_[1].lastLineEnd);
}

TEST_F(MimeWalkTest, DigestPartsDefaultToMessagesAndHeaderlessPartsToText) {
  lines_ = {"--d", "", "Subject: inner", "", "hello", "--d", "Subject: second", "", "hi", "--d--"};
  ASSERT_TRUE(Walk("multipart/digest; boundary=d"));
  ASSERT_EQ(leaves_.size(), 2u);
  EXPECT_EQ(leaves_[0].header.type, "message/rfc822");
  EXPECT_EQ(Body(0), (Lines{"Subject: inner", "", "hello"}));
  EXPECT_EQ(leaves_[1].header.type, "message/rfc822");
  EXPECT_EQ(Body(1), Lines{"hi"});

  ASSERT_TRUE(Walk("multipart/mixed; boundary=d"));
  EXPECT_EQ(leaves_[0].header.type, "text/plain");
}

TEST_F(MimeWalkTest, PartHeaderEndsAtTheFirstLineThatIsNoHeaderLine) {
  lines_ = {"--b", "Content-Type: image/gif", "R0lG", "--b", "Content-Type: image/png", "--b--"};
  ASSERT_TRUE(Walk("multipart/mixed; boundary=b"));
  ASSERT_EQ(leaves_.size(), 2u);
  EXPECT_EQ(Body(0), Lines{"R0lG"});
  EXPECT_TRUE(leaves_[0].headerEnded);
  EXPECT_TRUE(Body(1).empty());
  EXPECT_FALSE(leaves_[1].headerEnded);
}

TEST_F(MimeWalkTest, UnsplittableMultipartIsReported) {
  lines_ = {"just text", "--other", "more"};
  EXPECT_FALSE(Walk("multipart/mixed; boundary=b"));
  EXPECT_TRUE(leaves_.empty());
  EXPECT_EQ(unsplit_, lines_);
  EXPECT_FALSE(Walk("multipart/mixed"));
  // A nested one that cannot be split is one leaf of its own.
  lines_ = {"--b", "Content-Type: multipart/mixed; boundary=none", "", "text", "--b--"};
  ASSERT_TRUE(Walk("multipart/mixed; boundary=b"));
  ASSERT_EQ(leaves_.size(), 1u);
  EXPECT_EQ(leaves_[0].header.type, "multipart/mixed");
}

TEST_F(MimeWalkTest, DepthIsBounded) {
  for (int i = 0; i < 100; ++i) {
    lines_.push_back("--b" + std::to_string(i));
    lines_.push_back("Content-Type: multipart/mixed; boundary=b" + std::to_string(i + 1));
    lines_.push_back("");
  }
  ASSERT_TRUE(Walk("multipart/mixed; boundary=b0"));
  ASSERT_EQ(leaves_.size(), 1u);
  EXPECT_EQ(leaves_[0].header.type, "multipart/mixed");
}

TEST_F(MimeWalkTest, SinglePartIsOneLeafToTheEnd) {
  lines_ = {"%PDF-1.4", "%%EOF"};
  ASSERT_TRUE(Walk("application/pdf; name=x.pdf"));
  ASSERT_EQ(leaves_.size(), 1u);
  EXPECT_EQ(Body(0), lines_);
  EXPECT_TRUE(leaves_[0].lastLineEnd);
}

}  // namespace
