#include "store/run_journal.h"

#include <charconv>

#include "log/number_text.h"

namespace kilnbook {

namespace {

constexpr std::string_view kHeader = "kilnbook journal 1\n";
constexpr std::string_view kEnd = "end ";

// "<length>:<bytes>"
void AppendText(std::string& out, std::string_view text) {
  AppendUnsignedNumber(out, text.size());
  out.push_back(':');
  out.append(text);
}

// Reads the journal's values in the order they were written.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  bool Word(std::string_view word) {
    if (text_.substr(0, word.size()) != word) {
      return false;
    }
    text_.remove_prefix(word.size());
    return true;
  }


  bool Unsigned(uint64_t& value) {
    auto result =
        std::from_chars(text_.data(), text_.data() + text_.size(), value);
    if (result.ec != std::errc() || result.ptr == text_.data()) {
      return false;
    }
    text_.remove_prefix(static_cast<size_t>(result.ptr - text_.data()));
    return true;
  }

  bool Text(std::string& value) {
    uint64_t length;
    if (!Unsigned(length) || !Word(":") || length > text_.size()) {
      return false;
    }
    value.assign(text_.substr(0, length));
    text_.remove_prefix(length);
    return true;
  }

  bool DigestValue(Digest& value) {
    std::optional<Digest> digest = Digest::FromHex(text_.substr(0, 32));
    if (!digest) {
      return false;
    }
    value = *digest;
    text_.remove_prefix(32);
    return true;
  }

  bool AtEnd() const { return text_.empty(); }

 private:
  std::string_view text_;
};

}  // namespace

std::string RunJournal::Text() const {
  std::string out(kHeader);
  for (const StagedFile& file : files) {
    out += "file ";
    out += file.digest.Hex();
    out += ' ';
    AppendText(out, file.path);
    out += '\n';
  }
  if (log) {
    out += "log ";
    AppendText(out, log->path);
    out += "\nlog-identity ";
    AppendUnsignedNumber(out, log->device);
    out += ' ';
    AppendUnsignedNumber(out, log->inode);
    out += "\nlog-consumed ";
    AppendUnsignedNumber(out, log->consumed);
    out += "\nlog-intact ";
    AppendUnsignedNumber(out, log->intactLength);
    out += ' ';
    out += log->intactDigest.Hex();
    out += "\nlog-captured ";
    AppendUnsignedNumber(out, log->captured);
    out += '\n';
    if (log->cut) {
      out += "log-cut ";
      AppendUnsignedNumber(out, *log->cut);
      out += ' ';
      AppendUnsignedNumber(out, log->movedLength);
      out += '\n';
    }
    out += "log-head ";
    AppendText(out, log->head);
    out += '\n';
  }
  std::string digest = Digest::Of(out).Hex();
  out += kEnd;
  out += digest;
  out += '\n';
  return out;
}

std::optional<RunJournal> RunJournal::Parse(std::string_view text) {
  // The last line vouches for everything before it.
  constexpr size_t kEndLine = 4 + 32 + 1;
  if (text.size() < kHeader.size() + kEndLine) {
    return std::nullopt;
  }
  std::string_view body = text.substr(0, text.size() - kEndLine);
  Reader end(text.substr(body.size()));
  Digest claimed;
  if (!end.Word(kEnd) || !end.DigestValue(claimed) || !end.Word("\n") ||
      !end.AtEnd() || Digest::Of(body) != claimed) {
    return std::nullopt;
  }

  Reader in(body);
  if (!in.Word(kHeader)) {
    return std::nullopt;
  }
  RunJournal journal;
  while (in.Word("file ")) {
    StagedFile file;
    if (!in.DigestValue(file.digest) || !in.Word(" ") || !in.Text(file.path) ||
        !in.Word("\n")) {
      return std::nullopt;
    }
    journal.files.push_back(std::move(file));
  }
  if (in.Word("log ")) {
    LogRewrite log;
    bool ok = in.Text(log.path) && in.Word("\nlog-identity ") &&
              in.Unsigned(log.device) && in.Word(" ") &&
              in.Unsigned(log.inode) && in.Word("\nlog-consumed ") &&
              in.Unsigned(log.consumed) && in.Word("\nlog-intact ") &&
              in.Unsigned(log.intactLength) && in.Word(" ") &&
              in.DigestValue(log.intactDigest) &&
              in.Word("\nlog-captured ") && in.Unsigned(log.captured) &&
              in.Word("\n");
    if (ok && in.Word("log-cut ")) {
      uint64_t cut;
      ok = in.Unsigned(cut) && in.Word(" ") && in.Unsigned(log.movedLength) &&
           in.Word("\n");
      log.cut = cut;
    }
    ok = ok && in.Word("log-head ") && in.Text(log.head) && in.Word("\n");
    if (!ok) {
      return std::nullopt;
    }
    journal.log = std::move(log);
  }
  if (!in.AtEnd()) {
    return std::nullopt;
  }
  return journal;
}

}  // namespace kilnbook
