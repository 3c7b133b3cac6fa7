#include "app/MatchRules.h"

#include <limits>

#include "codec/TextCase.h"
#include "platform/core/Exception.h"

namespace app {

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

}  // namespace app
