#pragma once

#include <string>
#include <vector>

// Pieces of the conversations that ScriptedPop3Server plays for the
// mailbox's and the window's commands: a user ann, password secret, on a
// server that lacks UIDL and pipelining unless a test says otherwise.
namespace testsupport::sessions {

inline constexpr const char* kUser = "ann";
inline constexpr const char* kPassword = "secret";

// The greeting, the capabilities asked for before the log-in (none here:
// the log-in goes on in plaintext), USER, PASS and STAT answered with stat
// ("2 300").
std::string LogIn(const std::string& stat);

// QUIT, answered.
std::string Quit();

// A check's LIST answering messages 1..count, message n of n * 100 octets;
// then UIDL, which this server lacks. (CAPA, refused before the log-in, is
// not asked again.)
std::string Listing(int count);

// A check's start with a server whose CAPA lists PIPELINING: USER and PASS
// in one write, then STAT, LIST and UIDL in another, answered as LogIn and
// Listing answer them.
std::string PipeliningCheckStart(int count);

// A summary in a check's walk: its size is known from the listing.
std::string WalkSummary(int msg, const std::vector<std::string>& headerLines);

// A summary on its own (a header view, an analysis, a deletion's
// comparison): TOP msg 0, then LIST msg, answered with msg * 100 octets.
std::string Summary(int msg, const std::vector<std::string>& headerLines);

}  // namespace testsupport::sessions
