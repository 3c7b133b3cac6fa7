#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "mailbox/MessageList.h"
#include "pop3/TextHelpers.h"

namespace mailbox {

// The user's auto-check rules, compared with each listed message.
//
// A From or Subject rule holds up to three search terms separated by ";".
// A Size rule holds one decimal integer N; only N > 0 sets it, and then a
// message of N octets or more matches.

// The three terms of a From or Subject rule: the text before the first
// ";", the text between the first and the second ";", and everything after
// the second ";" (further semicolons included). Terms are not trimmed; a
// missing term is empty. "a;b;c;d" gives a, b and c;d.
std::array<std::string, 3> SplitRuleTerms(const std::string& rule);

// text with the ASCII letters a to z upper-cased; every other byte as it
// is, so that no comparison depends on a locale.
using pop3::AsciiUpper;

// Whether term occurs anywhere in cell (both UTF-8, as the window shows
// them), letters compared without regard to case: the ASCII letters and
// the letters codec::UpperCaseText capitalises (Latin, Greek, Cyrillic,
// ...). Bytes that are not UTF-8 compare as they are. An empty term never
// matches.
bool TermMatches(const std::string& term, const std::string& cell);

// How many of the rule's terms match cell (0 to 3): every match raises an
// alert of its own.
int RuleMatchCount(const std::string& rule, const std::string& cell);

// text as a 32-bit integer: optional leading blanks (spaces, tabs), an
// optional sign and decimal digits, nothing after them; unlike the POP3
// client's StrToIntNoBlanks, which takes no blank at all. Raises platform::Exception
// "'" + text + "' is not a valid integer value" for anything else,
// including a value out of range.
std::int32_t StrToIntLeadingBlanks(const std::string& text);

// The limit N of a Size rule: 0 for an empty text, else the text as an
// integer (raises as StrToIntLeadingBlanks for a text that is not one).
std::int32_t SizeRuleLimit(const std::string& rule);

// Whether a message of size octets matches a Size rule with limit N > 0.
bool SizeMatches(std::int32_t limit, std::int64_t size);

// The three rules of the automatic check, as typed.
struct Rules {
  std::string From;
  std::string Subject;
  std::string Size;
};

// What the rules make of a list: every match is an alert of its own (a
// rule's terms, then the rules, in the order From, Subject, Size, row by
// row from the top); with no rule set, any listed message is news.
struct RuleVerdict {
  int Matches = 0;             // alerts the rules raised
  bool AnyMailAlert = false;   // no rule is set and the list holds mail
  std::vector<int> AlertRows;  // the rows that raised an alert, top first, once each
};

// A Size text that is not a number skips the Size rule and counts as a
// rule that is set; a row whose size is no number is passed over.
RuleVerdict JudgeRows(const Rules& rules, const MessageList& list);

}  // namespace mailbox
