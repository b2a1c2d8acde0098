// The journal's text:
//
//   kilnbook journal 2
//   server <digest of the server's name>
//   file <length>:<name> <digest>         one per staged file
//   log <digest of the log path> <device> <inode>
//   consumed <bytes> <digest>
//   captured <bytes> <earlier captured>
//   marker <16 hex digits>
//   head <length>:<bytes>
//   end <digest of every line above>
//
// The "log" to "head" lines are there only when the save rewrites a log.
// Digests are 32 lowercase hexadecimal digits, numbers plain decimal.
#include "store/run_journal.h"

#include "log/number_text.h"
#include "store/text_fields.h"

namespace kilnbook {

namespace {

constexpr std::string_view kHeader = "kilnbook journal 2\n";
constexpr std::string_view kEnd = "end ";

bool ParseLog(TextFields& in, RunJournal& journal) {
  LogRewrite log;
  bool ok = in.DigestValue(journal.logPath) && in.Word(" ") &&
            in.Unsigned(log.device) && in.Word(" ") && in.Unsigned(log.inode) &&
            in.Word("\nconsumed ") && in.Unsigned(log.consumed) &&
            in.Word(" ") && in.DigestValue(log.consumedDigest) &&
            in.Word("\ncaptured ") && in.Unsigned(log.captured) &&
            in.Word(" ") && in.Unsigned(log.earlierCaptured) &&
            in.Word("\nmarker ") && in.Hex64(log.marker) &&
            in.Word("\nhead ") && in.Text(log.head) && in.Word("\n");
  // A rewrite keeps the head shorter than what it cuts, by at least the
  // marker's slot: anything else was not written by a save.
  ok = ok && log.consumed > 0 && log.captured >= log.consumed &&
       log.head.size() < log.captured &&
       log.captured - log.head.size() >= 2 * kMarkerSize &&
       log.earlierCaptured <= log.captured &&
       (log.earlierCaptured == 0 || log.earlierCaptured >= 2 * kMarkerSize);
  if (ok) {
    journal.log = std::move(log);
  }
  return ok;
}

}  // namespace

std::string RunJournal::Text() const {
  std::string out(kHeader);
  out += "server ";
  out += server.Hex();
  out += '\n';
  for (const StagedFile& file : files) {
    out += "file ";
    AppendFieldText(out, file.name);
    out += ' ';
    out += file.digest.Hex();
    out += '\n';
  }
  if (log) {
    out += "log ";
    out += logPath.Hex();
    out += ' ';
    AppendUnsignedNumber(out, log->device);
    out += ' ';
    AppendUnsignedNumber(out, log->inode);
    out += "\nconsumed ";
    AppendUnsignedNumber(out, log->consumed);
    out += ' ';
    out += log->consumedDigest.Hex();
    out += "\ncaptured ";
    AppendUnsignedNumber(out, log->captured);
    out += ' ';
    AppendUnsignedNumber(out, log->earlierCaptured);
    out += "\nmarker ";
    AppendHex64(out, log->marker);
    out += "\nhead ";
    AppendFieldText(out, log->head);
    out += '\n';
  }
  std::string digest = Digest::Of(out).Hex();
  out += kEnd;
  out += digest;
  out += '\n';
  return out;
}

std::optional<RunJournal> RunJournal::Parse(
    std::string_view text, const std::vector<std::string>& allowedNames) {
  // The last line vouches for everything before it.
  constexpr size_t kEndLine = 4 + 32 + 1;
  if (text.size() < kHeader.size() + kEndLine) {
    return std::nullopt;
  }
  std::string_view body = text.substr(0, text.size() - kEndLine);
  TextFields end(text.substr(body.size()));
  Digest claimed;
  if (!end.Word(kEnd) || !end.DigestValue(claimed) || !end.Word("\n") ||
      !end.AtEnd() || Digest::Of(body) != claimed) {
    return std::nullopt;
  }

  TextFields in(body);
  RunJournal journal;
  if (!in.Word(kHeader) || !in.Word("server ") ||
      !in.DigestValue(journal.server) || !in.Word("\n")) {
    return std::nullopt;
  }
  while (in.Word("file ")) {
    StagedFile file;
    if (!in.Text(file.name) || !in.Word(" ") || !in.DigestValue(file.digest) ||
        !in.Word("\n")) {
      return std::nullopt;
    }
    bool allowed = false;
    for (const std::string& name : allowedNames) {
      allowed = allowed || name == file.name;
    }
    for (const StagedFile& earlier : journal.files) {
      allowed = allowed && earlier.name != file.name;
    }
    if (!allowed) {
      return std::nullopt;
    }
    journal.files.push_back(std::move(file));
  }
  if (in.Word("log ") && !ParseLog(in, journal)) {
    return std::nullopt;
  }
  if (!in.AtEnd()) {
    return std::nullopt;
  }
  return journal;
}

}  // namespace kilnbook
