#include "tests/app/FaultMatrix.h"

#include <cstdio>
#include <stdexcept>

namespace apptest::faultmatrix {

namespace {

const std::vector<std::string>& MessageLines(int msg) {
  static const std::vector<std::string> kReport = {
      "From: Ann Lee <ann@example.com>",
      "Subject: Quarterly report",
      "Date: Mon, 03 Mar 2025 10:00:00 +0000",
      "MIME-Version: 1.0",
      "Content-Type: multipart/mixed; boundary=\"==B42==\"",
      "",
      "--==B42==",
      "Content-Type: text/plain",
      "",
      "Hello Bob, the report is attached.",
      "--==B42==",
      "Content-Type: application/octet-stream",
      "Content-Transfer-Encoding: base64",
      "Content-Disposition: attachment; filename=\"report.bin\"",
      "",
      "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8=",
      "--==B42==--",
  };
  static const std::vector<std::string> kLunch = {
      "From: Bob <bob@example.com>", "Subject: Lunch", "Date: Tue, 04 Mar 2025 12:00:00 +0000", "", "See you at noon.",
  };
  if (msg != 1 && msg != 2) throw std::invalid_argument("the scripted mailbox has messages 1 and 2");
  return msg == 1 ? kReport : kLunch;
}

std::string Size(int msg) { return std::to_string(MessageText(msg).size()); }

// The answer to TOP msg 0: the header, its empty line and the end line.
std::vector<std::string> HeaderAnswer(int msg) {
  std::vector<std::string> lines = {"+OK"};
  for (const std::string& line : MessageLines(msg)) {
    lines.push_back(line);
    if (line.empty()) break;
  }
  lines.push_back(".");
  return lines;
}

Session LogIn() {
  // Under the default connection security the client asks for the
  // capabilities; without STLS listed it logs in as before.
  Exchange capa{"Capa", "CAPA", {"+OK", "TOP", "USER", "UIDL", "."}, true};
  capa.RefusalMeansAbsent = true;
  capa.RefusesLongLines = true;
  return {
      {"Greeting", "", {"+OK POP3 ready"}},
      capa,
      {"User", "USER " + std::string(kUser), {"+OK"}},
      {"Pass", "PASS " + std::string(kPassword), {"+OK logged in"}},
      {"Stat", "STAT", {"+OK 2 " + std::to_string(MessageText(1).size() + MessageText(2).size())}},
  };
}

Exchange Top(int msg, const std::string& name) {
  return {name, "TOP " + std::to_string(msg) + " 0", HeaderAnswer(msg), true};
}

Exchange ListOne(int msg, const std::string& name) {
  return {name, "LIST " + std::to_string(msg), {"+OK " + std::to_string(msg) + " " + Size(msg)}};
}

Exchange Quit() { return {"Quit", "QUIT", {"+OK bye"}}; }

Session Joined(Session session, const Session& tail) {
  session.insert(session.end(), tail.begin(), tail.end());
  return session;
}

// Text for a RAW: step: the escapes the scripted server reads back.
std::string Escaped(const std::string& bytes) {
  std::string text;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      text += "\\\\";
    } else if (byte < 0x20 || byte >= 0x7f) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      text += hex;
    } else {
      text += c;
    }
  }
  return text;
}

// Longer than the transport's 64 KiB line buffer; valid Base64, so that it
// decodes inside an attachment part too.
const std::string kLongLine(70000, 'A');

// NUL, bytes above 127, control characters and no "+OK" anywhere.
const std::string kGarbage = std::string("\0\xff}{ \x01garbage\x7f \xfe#", 17);

std::string Lines(const char* tag, const std::vector<std::string>& lines, std::size_t from = 0,
                  std::size_t to = std::string::npos) {
  std::string script;
  for (std::size_t i = from; i < lines.size() && i < to; ++i) script += std::string(tag) + " " + lines[i] + "\n";
  return script;
}

std::string FaultyReply(const Exchange& exchange, Fault fault) {
  const std::vector<std::string>& reply = exchange.Reply;
  switch (fault) {
    case Fault::Err:
      return "S: -ERR injected fault\n";
    case Fault::Garbage:
      return "RAW: " + Escaped(kGarbage + "\r\n") + "\n";
    case Fault::GarbageInAnswer:
      return Lines("S:", reply, 0, 1) + "RAW: " + Escaped(kGarbage + "\r\n") + "\n" + Lines("S:", reply, 1);
    case Fault::LfOnly: {
      std::string script;
      for (const std::string& line : reply) script += "RAW: " + Escaped(line + "\n") + "\n";
      return script;
    }
    case Fault::Drop:
      return "CLOSE\n";
    case Fault::DropMidAnswer: {
      // Half of the answer's lines, then half of the next line, no line end.
      const std::size_t whole = 1 + (reply.size() - 1) / 2;
      const std::string& cut = reply[whole];
      return Lines("S:", reply, 0, whole) + "RAW: " + Escaped(cut.substr(0, (cut.size() + 1) / 2)) + "\nCLOSE\n";
    }
    case Fault::Stall:
      return "STALL\n";
    case Fault::OneByte:
      return Lines("S1:", reply);
    case Fault::LongLine: {
      const std::size_t last = reply.size() - 2;  // the line before "."
      return Lines("S:", reply, 0, last) + "S: " + kLongLine + "\n" + Lines("S:", reply, last);
    }
    case Fault::Unasked:
      return Lines("S:", reply) + "S: +OK UNASKED\nS: From: UNASKED\nS: Subject: UNASKED\nS:\nS: .\n";
  }
  return {};
}

enum class Afterwards { SignOff, GoOn, GoOnOneAtATime, GoOnWithoutCapa, GoOnWithoutItsDeletion, Nothing };

Afterwards ClientAfter(const Exchange& exchange, Fault fault) {
  switch (fault) {
    case Fault::Err:
    case Fault::Garbage:
      if (exchange.Name == "Quit") return Afterwards::Nothing;
      if (!exchange.DeletionOfRow.empty()) return Afterwards::GoOnWithoutItsDeletion;
      if (exchange.RefusalMeansNoPipelining) return Afterwards::GoOnOneAtATime;
      if (fault == Fault::Garbage && exchange.OnlyErrRefuses) return Afterwards::GoOn;
      if (exchange.RefusalMeansAbsent) return Afterwards::GoOnWithoutCapa;
      if (exchange.RefusalGoesOn) return Afterwards::GoOn;
      return Afterwards::SignOff;
    case Fault::GarbageInAnswer:
      // A line the client cannot convert leaves the rest of the answer
      // unread: the session is dropped rather than signed off.
      return exchange.ParsesAnswerLines ? Afterwards::Nothing : Afterwards::GoOn;
    case Fault::LfOnly:
    case Fault::OneByte:
      return Afterwards::GoOn;
    case Fault::LongLine:
      // Only a listing line has no reason to be long: the transport refuses
      // it, and the session is dropped. Header and message lines are read.
      return exchange.ParsesAnswerLines || exchange.RefusesLongLines ? Afterwards::Nothing : Afterwards::GoOn;
    case Fault::Drop:
    case Fault::DropMidAnswer:
    case Fault::Stall:
      return Afterwards::Nothing;
    case Fault::Unasked:
      // Found before the next command goes out (data where no answer is
      // due), or in place of the next answer (a reply to LIST n that does
      // not name n): the connection is dropped without another command.
      return Afterwards::Nothing;
  }
  return Afterwards::Nothing;
}

std::string ClientLines(const Exchange& exchange) {
  return exchange.ClientLine.empty() ? std::string() : "C: " + exchange.ClientLine + "\n";
}

// [first, end of the run of pipelined commands that starts at first).
std::size_t RunEnd(const Session& session, std::size_t first) {
  std::size_t end = first + 1;
  while (end < session.size() && session[end].SentWithPrevious) ++end;
  return end;
}

// The session without the step named name; the step after it starts a run
// of its own when the one left out did.
Session WithoutStep(Session session, const std::string& name) {
  for (std::size_t i = 0; i < session.size(); ++i) {
    if (session[i].Name != name) continue;
    const bool startedRun = !session[i].SentWithPrevious;
    session.erase(session.begin() + static_cast<std::ptrdiff_t>(i));
    if (startedRun && i < session.size()) session[i].SentWithPrevious = false;
    break;
  }
  return session;
}

Session WithoutCapa(Session session) {
  std::erase_if(session, [](const Exchange& exchange) { return exchange.ClientLine == "CAPA"; });
  return session;
}

// The session as a server that does not pipeline sees it: no command goes
// out ahead of an answer, and the size of each summary comes from the
// listing, so no LIST n follows TOP.
Session OneAtATime(Session session) {
  Session oneAtATime;
  for (Exchange& exchange : session) {
    if (exchange.AnchorOnly) continue;
    exchange.SentWithPrevious = false;
    oneAtATime.push_back(exchange);
  }
  return oneAtATime;
}

}  // namespace

const std::string& MessageText(int msg) {
  static const auto kText = [](int n) {
    std::string text;
    for (const std::string& line : MessageLines(n)) text += line + "\r\n";
    return text;
  };
  static const std::string kTexts[2] = {kText(1), kText(2)};
  MessageLines(msg);  // raises for a message the mailbox does not have
  return kTexts[msg - 1];
}

std::string SenderOf(int msg) { return MessageLines(msg)[0].substr(6); }

// A pipelined summary: TOP n 0, and LIST n sent with it, whose reply names
// message n and so shows that the answers came in step. A refused LIST n
// costs that message its summary alone.
Session PipelinedSummary(int msg, bool afterAnother) {
  const std::string number = std::to_string(msg);
  Exchange top = Top(msg, "Top" + number);
  top.SentWithPrevious = afterAnother;
  Exchange anchor = ListOne(msg, "List" + number);
  anchor.SentWithPrevious = true;
  anchor.RefusalGoesOn = true;
  anchor.AnchorOnly = true;
  return {top, anchor};
}

Session CheckSession() {
  Exchange list{"List", "LIST ", {"+OK 2 messages", "1 " + Size(1), "2 " + Size(2), "."}, true, true};
  Exchange uidl{"Uidl", "UIDL", {"-ERR command not supported"}};
  uidl.RefusalGoesOn = true;
  Exchange capa{"PipeCapa", "CAPA", {"+OK capabilities follow", "TOP", "PIPELINING", "."}, true};
  capa.RefusalMeansNoPipelining = true;
  capa.RefusesLongLines = true;
  Session session = Joined(LogIn(), {list, uidl, capa});
  session = Joined(session, PipelinedSummary(2, false));
  session = Joined(session, PipelinedSummary(1, true));
  return Joined(session, {Quit()});
}

Session DeletionSession() {
  Exchange dele{"Dele", "DELE 1", {"+OK message 1 deleted"}};
  dele.OnlyErrRefuses = true;
  return Joined(LogIn(), {Top(1, "Top"), ListOne(1, "List"), dele, Quit()});
}

Session PipelinedDeletionSession() {
  Exchange capa{"PipeCapa", "CAPA", {"+OK capabilities follow", "TOP", "UIDL", "PIPELINING", "."}, true};
  capa.RefusalMeansAbsent = true;
  capa.RefusesLongLines = true;
  Exchange pass{"Pass", "PASS " + std::string(kPassword), {"+OK logged in"}};
  pass.SentWithPrevious = true;
  Session session = {
      {"Greeting", "", {"+OK POP3 ready"}},
      capa,
      {"User", "USER " + std::string(kUser), {"+OK"}},
      pass,
      {"Stat", "STAT", {"+OK 2 " + std::to_string(MessageText(1).size() + MessageText(2).size())}},
  };
  for (int msg : {2, 1}) {
    const std::string number = std::to_string(msg);
    Exchange top = Top(msg, "Top" + number);
    Exchange list = ListOne(msg, "List" + number);
    list.SentWithPrevious = true;
    top.DeletionOfRow = list.DeletionOfRow = "Dele" + number;
    session.push_back(top);
    session.push_back(list);
  }
  Exchange dele2{"Dele2", "DELE 2", {"+OK message 2 deleted"}};
  Exchange dele1{"Dele1", "DELE 1", {"+OK message 1 deleted"}};
  dele2.OnlyErrRefuses = dele1.OnlyErrRefuses = true;
  dele1.SentWithPrevious = true;
  return Joined(session, {dele2, dele1, Quit()});
}

Session HeaderSession() { return Joined(LogIn(), {Top(1, "Top"), ListOne(1, "List"), Quit()}); }

Session BodySession() {
  std::vector<std::string> answer = {"+OK " + Size(1) + " octets"};
  for (const std::string& line : MessageLines(1)) answer.push_back(line);
  answer.push_back(".");
  return Joined(LogIn(), {{"Retr", "RETR 1", answer, true}, Quit()});
}

Session FaultedSession(Command command) {
  switch (command) {
    case Command::Check:
      return CheckSession();
    case Command::Deletion:
      return DeletionSession();
    case Command::PipelinedDeletion:
      return PipelinedDeletionSession();
    case Command::Header:
      return HeaderSession();
    case Command::Body:
      return BodySession();
  }
  return {};
}

std::string GoodScript(const Session& session) {
  std::string script;
  for (std::size_t first = 0; first < session.size(); first = RunEnd(session, first)) {
    for (std::size_t i = first; i < RunEnd(session, first); ++i) script += ClientLines(session[i]);
    for (std::size_t i = first; i < RunEnd(session, first); ++i) script += Lines("S:", session[i].Reply);
  }
  return script;
}

// In a run of pipelined commands the client sends them all before the
// fault, and reads (or drops) the replies after it that were asked for.
std::string FaultedScript(const Session& session, const std::string& step, Fault fault) {
  std::string script;
  for (std::size_t first = 0; first < session.size(); first = RunEnd(session, first)) {
    const std::size_t end = RunEnd(session, first);
    for (std::size_t i = first; i < end; ++i) script += ClientLines(session[i]);
    for (std::size_t i = first; i < end; ++i) {
      const Exchange& exchange = session[i];
      if (exchange.Name != step) {
        script += Lines("S:", exchange.Reply);
        continue;
      }
      script += FaultyReply(exchange, fault);
      std::string repliesAskedFor;
      for (std::size_t j = i + 1; j < end; ++j) repliesAskedFor += Lines("S:", session[j].Reply);
      const Session rest(session.begin() + end, session.end());
      switch (ClientAfter(exchange, fault)) {
        case Afterwards::SignOff:
          return script + repliesAskedFor + GoodScript({Quit()});
        case Afterwards::GoOn:
          return script + repliesAskedFor + GoodScript(rest);
        case Afterwards::GoOnOneAtATime:
          return script + repliesAskedFor + GoodScript(OneAtATime(rest));
        case Afterwards::GoOnWithoutCapa:
          return script + repliesAskedFor + GoodScript(OneAtATime(WithoutCapa(rest)));
        case Afterwards::GoOnWithoutItsDeletion:
          return script + repliesAskedFor + GoodScript(WithoutStep(rest, exchange.DeletionOfRow));
        case Afterwards::Nothing:
          return script;
      }
    }
  }
  throw std::invalid_argument("the session has no step " + step);
}

const char* CommandName(Command command) {
  switch (command) {
    case Command::Check:
      return "Check";
    case Command::Deletion:
      return "Deletion";
    case Command::PipelinedDeletion:
      return "PipelinedDeletion";
    case Command::Header:
      return "Header";
    case Command::Body:
      return "Body";
  }
  return "";
}

const char* FaultName(Fault fault) {
  switch (fault) {
    case Fault::Err:
      return "Err";
    case Fault::Garbage:
      return "Garbage";
    case Fault::GarbageInAnswer:
      return "GarbageInAnswer";
    case Fault::LfOnly:
      return "LfOnly";
    case Fault::Drop:
      return "Drop";
    case Fault::DropMidAnswer:
      return "DropMidAnswer";
    case Fault::Stall:
      return "Stall";
    case Fault::OneByte:
      return "OneByte";
    case Fault::LongLine:
      return "LongLine";
    case Fault::Unasked:
      return "Unasked";
  }
  return "";
}

bool Applies(Fault fault, const Exchange& exchange) {
  return exchange.MultiLine ||
         (fault != Fault::GarbageInAnswer && fault != Fault::DropMidAnswer && fault != Fault::LongLine);
}

bool ClientGoesOn(const Session& session, const std::string& step, Fault fault) {
  for (const Exchange& exchange : session) {
    if (exchange.Name == step) {
      const Afterwards after = ClientAfter(exchange, fault);
      return after == Afterwards::GoOn || after == Afterwards::GoOnWithoutCapa;
    }
  }
  throw std::invalid_argument("the session has no step " + step);
}

std::vector<Cell> Cells(Command command) {
  static constexpr Fault kFaults[] = {Fault::Err,     Fault::Garbage, Fault::GarbageInAnswer,
                                      Fault::LfOnly,  Fault::Drop,    Fault::DropMidAnswer,
                                      Fault::Stall,   Fault::OneByte, Fault::LongLine,
                                      Fault::Unasked};
  std::vector<Cell> cells;
  for (const Exchange& exchange : FaultedSession(command))
    for (Fault fault : kFaults)
      if (Applies(fault, exchange)) cells.push_back({command, exchange.Name, fault});
  return cells;
}

Note ExpectedNote(const Cell& cell) {
  const Session session = FaultedSession(cell.Cmd);
  std::size_t step = 0, stat = 0;
  for (std::size_t i = 0; i < session.size(); ++i) {
    if (session[i].Name == cell.Step) step = i;
    if (session[i].Name == "Stat") stat = i;
  }
  // An unasked answer after STAT shows only at the next command, once the
  // log-in is done.
  const bool afterLogIn = step > stat || (step == stat && cell.Kind == Fault::Unasked);
  if (cell.Cmd == Command::Deletion || cell.Cmd == Command::PipelinedDeletion || !afterLogIn || cell.Step == "Quit")
    return Note::None;
  const Exchange& exchange = session[step];
  const Afterwards after = ClientAfter(exchange, cell.Kind);
  const bool refusalEnds = (cell.Kind == Fault::Err || cell.Kind == Fault::Garbage) && after == Afterwards::SignOff;
  // Unasked data after the last answer shows only when QUIT would go out:
  // a view is on screen by then, and only the check says so.
  const bool lastAnswer = step + 2 == session.size();
  const bool cut = after == Afterwards::Nothing && !(cell.Kind == Fault::Unasked && lastAnswer);
  switch (cell.Cmd) {
    case Command::Check:
      // The check says so even when the unasked answer shows at QUIT.
      if (after == Afterwards::Nothing || (cell.Step == "List" && refusalEnds)) return Note::ListIncomplete;
      return Note::None;
    case Command::Header:
      return cut || refusalEnds ? Note::HeaderNotShown : Note::None;
    case Command::Body:
      return cut || refusalEnds ? Note::BodyNotShown : Note::None;
    case Command::Deletion:
    case Command::PipelinedDeletion:
      break;
  }
  return Note::None;
}

std::string CellName(const Cell& cell) { return cell.Step + "_" + FaultName(cell.Kind); }

void PrintTo(const Cell& cell, std::ostream* out) {
  *out << CommandName(cell.Cmd) << "/" << cell.Step << "/" << FaultName(cell.Kind);
}

}  // namespace apptest::faultmatrix
