#include "mailbox/MatchRules.h"

#include <algorithm>
#include <exception>
#include <limits>

#include "codec/TextCase.h"
#include "platform/core/Exception.h"

namespace mailbox {

std::array<std::string, 3> SplitRuleTerms(const std::string& rule) {
  std::array<std::string, 3> terms;
  std::string::size_type first = rule.find(';');
  if (first == std::string::npos) {
    terms[0] = rule;
    return terms;
  }
  terms[0] = rule.substr(0, first);
  std::string rest = rule.substr(first + 1);
  std::string::size_type second = rest.find(';');
  if (second == std::string::npos) {
    terms[1] = rest;
    return terms;
  }
  terms[1] = rest.substr(0, second);
  terms[2] = rest.substr(second + 1);
  return terms;
}

bool TermMatches(const std::string& term, const std::string& cell) {
  if (term.empty()) return false;
  return codec::UpperCaseText(cell).find(codec::UpperCaseText(term)) != std::string::npos;
}

int RuleMatchCount(const std::string& rule, const std::string& cell) {
  int count = 0;
  for (const std::string& term : SplitRuleTerms(rule)) {
    if (TermMatches(term, cell)) ++count;
  }
  return count;
}

std::int32_t StrToIntLeadingBlanks(const std::string& text) {
  const platform::Exception invalid("'" + text + "' is not a valid integer value");
  std::string::size_type at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  if (at == text.size()) throw invalid;
  // Accumulated negatively, so that the most negative value fits as well.
  std::int64_t value = 0;
  for (; at < text.size(); ++at) {
    char c = text[at];
    if (c < '0' || c > '9') throw invalid;
    value = value * 10 - (c - '0');
    if (value < std::numeric_limits<std::int32_t>::min()) throw invalid;
  }
  if (!negative) {
    value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) throw invalid;
  }
  return static_cast<std::int32_t>(value);
}

std::int32_t SizeRuleLimit(const std::string& rule) { return rule.empty() ? 0 : StrToIntLeadingBlanks(rule); }

bool SizeMatches(std::int32_t limit, std::int64_t size) { return limit > 0 && size >= limit; }

namespace {

void NoteRow(RuleVerdict& verdict, int row) {
  if (std::find(verdict.AlertRows.begin(), verdict.AlertRows.end(), row) == verdict.AlertRows.end())
    verdict.AlertRows.push_back(row);
}

void MatchText(RuleVerdict& verdict, const std::string& rule, const MessageList& list,
               const ShownText MessageRow::*field) {
  if (rule.empty()) return;
  for (int row = 0; row < list.Count(); ++row) {
    const int matches = RuleMatchCount(rule, (list.Row(row).*field).Text);
    if (matches > 0) NoteRow(verdict, row);
    verdict.Matches += matches;
  }
}

void MatchSize(RuleVerdict& verdict, const std::string& rule, const MessageList& list) {
  std::int32_t limit = 0;
  try {
    limit = SizeRuleLimit(rule);
  } catch (const std::exception&) {
    return;
  }
  if (limit <= 0) return;
  for (int row = 0; row < list.Count(); ++row) {
    if (!SizeMatches(limit, list.Row(row).Size)) continue;
    NoteRow(verdict, row);
    ++verdict.Matches;
  }
}

}  // namespace

RuleVerdict JudgeRows(const Rules& rules, const MessageList& list) {
  RuleVerdict verdict;
  MatchText(verdict, rules.From, list, &MessageRow::From);
  MatchText(verdict, rules.Subject, list, &MessageRow::Subject);
  MatchSize(verdict, rules.Size, list);
  try {
    if (rules.From.empty() && rules.Subject.empty() && SizeRuleLimit(rules.Size) < 1) {
      verdict.AnyMailAlert = true;
      for (int row = 0; row < list.Count(); ++row) NoteRow(verdict, row);
    }
  } catch (const std::exception&) {
  }
  std::sort(verdict.AlertRows.begin(), verdict.AlertRows.end());
  return verdict;
}

}  // namespace mailbox
