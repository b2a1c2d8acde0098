#include "app/server_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "app/log_rewrite.h"
#include "store/atomic_file.h"
#include "store/digest.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

std::string TempOf(const std::string& path) { return path + ".tmp"; }

void ReportSaveFailure(const std::string& path) {
  std::printf("Failed to save datfile '%s'\n", path.c_str());
}

void ReportLogFailure(const std::string& path) {
  std::printf("Failed to rewrite logfile: %s\n", path.c_str());
}

bool SaveJournal(const std::string& path, const RunJournal& journal) {
  AtomicFile file(path);
  return file.Open() && file.Write(journal.Text()) && file.Commit();
}

// True when `path` holds exactly `text`.
bool Holds(const std::string& path, const std::string& text) {
  std::optional<Digest> digest = Digest::OfFile(path);
  return digest && *digest == Digest::Of(text);
}

}  // namespace

ServerSave::ServerSave(std::string serverDirectory)
    : directory_(std::move(serverDirectory)),
      journalPath_(directory_ + "/" + kJournalFileName) {}

void ServerSave::Add(std::string path, std::string text) {
  // Rewriting a file with its own content would only cost a sync.
  if (!Holds(path, text)) {
    files_.push_back({std::move(path), std::move(text)});
  }
}

ServerSave::Outcome ServerSave::Commit(std::optional<LogRewrite> rewrite) {
  if (rewrite && rewrite->consumed > 0) {
    return CommitJournaled(*rewrite);
  }
  return CommitOneByOne(rewrite);
}

ServerSave::Outcome ServerSave::CommitOneByOne(
    std::optional<LogRewrite>& rewrite) {
  // No game was counted, so each file may change on its own.
  for (const Pending& pending : files_) {
    AtomicFile file(pending.path);
    if (!file.Open() || !file.Write(pending.text) || !file.Commit()) {
      ReportSaveFailure(pending.path);
      return Outcome::kNotSaved;
    }
  }
  if (!rewrite) {
    return Outcome::kSaved;
  }
  bool journaled = false;
  RunJournal journal;
  auto save = [&](const LogRewrite& plan) {
    journal.log = plan;
    journaled = SaveJournal(journalPath_, journal);
    return journaled;
  };
  if (!RewriteLog(*rewrite, true, false, save)) {
    ReportLogFailure(rewrite->path);
    return journaled ? Outcome::kUnfinished : Outcome::kSaved;
  }
  if (journaled) {
    ::unlink(journalPath_.c_str());
  }
  return Outcome::kSaved;
}

ServerSave::Outcome ServerSave::CommitJournaled(LogRewrite& rewrite) {
  RunJournal journal;
  std::vector<std::unique_ptr<AtomicFile>> staged;
  for (const Pending& pending : files_) {
    auto file = std::make_unique<AtomicFile>(pending.path);
    if (!file->Open() || !file->Write(pending.text) || !file->Stage()) {
      ReportSaveFailure(pending.path);
      return Outcome::kNotSaved;
    }
    journal.files.push_back({pending.path, Digest::Of(pending.text)});
    staged.push_back(std::move(file));
  }
  journal.log = rewrite;
  if (!SaveJournal(journalPath_, journal)) {
    ReportSaveFailure(journalPath_);
    return Outcome::kNotSaved;
  }
  // Committed: the staged files now belong to the journal.
  for (const auto& file : staged) {
    file->Keep();
  }
  for (const auto& file : staged) {
    if (::rename(file->tempPath().c_str(), file->path().c_str()) != 0) {
      ReportSaveFailure(file->path());
      return Outcome::kUnfinished;
    }
  }
  if (!staged.empty()) {
    SyncDirectoryOf(journalPath_);
  }
  auto save = [&](const LogRewrite& plan) {
    journal.log = plan;
    return SaveJournal(journalPath_, journal);
  };
  if (!RewriteLog(rewrite, true, true, save)) {
    ReportLogFailure(rewrite.path);
    return Outcome::kUnfinished;
  }
  ::unlink(journalPath_.c_str());
  return Outcome::kSaved;
}

Recovery FinishInterruptedSave(const std::string& serverDirectory,
                               const std::string& serverName,
                               const std::vector<std::string>& stagedNames) {
  Recovery recovery;
  std::string journalPath = serverDirectory + "/" + kJournalFileName;
  struct stat info;
  if (::stat(journalPath.c_str(), &info) != 0 && errno == ENOENT) {
    for (const std::string& name : stagedNames) {
      ::unlink(TempOf(serverDirectory + "/" + name).c_str());
    }
    ::unlink(TempOf(journalPath).c_str());
    return recovery;
  }
  auto fail = [&] {
    std::printf("Failed to recover the interrupted save: %s\n",
                journalPath.c_str());
    recovery.outcome = Recovery::Outcome::kFailed;
    return recovery;
  };
  std::optional<std::string> text = ReadAll(journalPath);
  std::optional<RunJournal> journal;
  if (text) {
    journal = RunJournal::Parse(*text);
  }
  if (!journal) {
    return fail();
  }
  if (journal->log) {
    recovery.logPath = journal->log->path;
  }
  for (const StagedFile& file : journal->files) {
    std::string temp = TempOf(file.path);
    if (Digest::OfFile(temp) == file.digest) {
      if (::rename(temp.c_str(), file.path.c_str()) != 0) {
        return fail();
      }
    } else if (Digest::OfFile(file.path) != file.digest) {
      return fail();
    }
  }
  SyncDirectoryOf(journalPath);
  if (journal->log) {
    auto save = [&](const LogRewrite& plan) {
      journal->log = plan;
      return SaveJournal(journalPath, *journal);
    };
    if (!RewriteLog(*journal->log, false, true, save)) {
      return fail();
    }
  }
  ::unlink(journalPath.c_str());
  std::printf("Recovered the interrupted save of server %s\n",
              serverName.c_str());
  recovery.outcome = Recovery::Outcome::kFinished;
  return recovery;
}

}  // namespace kilnbook
