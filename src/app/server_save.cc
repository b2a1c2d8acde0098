#include "app/server_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iterator>
#include <memory>

#include "app/log_rewrite.h"
#include "config/file_names.h"
#include "store/atomic_file.h"
#include "store/digest.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

// The journal's path in a server directory.
std::string JournalIn(const std::string& serverDirectory) {
  return serverDirectory + "/" + kJournalFileName;
}

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

// Removes the journal of a finished save. Making the removal durable is not
// needed: a journal that comes back after a power loss describes a save that
// is complete, which the next run finds so and removes.
bool RemoveJournal(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    std::printf("Failed to remove the journal: %s\n", path.c_str());
    return false;
  }
  SyncDirectoryOf(path);
  return true;
}

// The digest of the file at `path`; nothing when it does not exist or cannot
// be read, which sets `failed`.
std::optional<Digest> DigestOf(const std::string& path, bool& failed) {
  std::optional<Digest> digest = Digest::OfFile(path);
  if (!digest) {
    struct stat info;
    failed = failed || ::stat(path.c_str(), &info) == 0 || errno != ENOENT;
  }
  return digest;
}

}  // namespace

ServerSave::ServerSave(std::string serverDirectory,
                       const std::string& serverName)
    : directory_(std::move(serverDirectory)),
      journalPath_(JournalIn(directory_)),
      server_(Digest::Of(serverName)) {}

void ServerSave::Add(const std::string& name, std::string text) {
  std::string path = directory_ + "/" + name;
  // Rewriting a file with its own content would only cost a sync.
  std::optional<Digest> digest = Digest::OfFile(path);
  if (!digest || *digest != Digest::Of(text)) {
    files_.push_back({name, std::move(path), std::move(text)});
  }
}

ServerSave::Outcome ServerSave::Commit(std::optional<LogRewrite> rewrite) {
  if (rewrite && rewrite->consumed > 0) {
    return CommitJournaled(*rewrite);
  }
  return CommitOneByOne(rewrite);
}

ServerSave::Outcome ServerSave::CommitOneByOne(
    const std::optional<LogRewrite>& rewrite) {
  // No game was counted, so each file may change on its own.
  for (const Pending& pending : files_) {
    AtomicFile file(pending.path);
    if (!file.Open() || !file.Write(pending.text) || !file.Commit()) {
      ReportSaveFailure(pending.path);
      return Outcome::kNotSaved;
    }
  }
  if (rewrite && AddEmptyLine(*rewrite) == RewriteResult::kFailed) {
    ReportLogFailure(rewrite->path);
  }
  return Outcome::kSaved;
}

ServerSave::Outcome ServerSave::CommitJournaled(LogRewrite& rewrite) {
  RunJournal journal;
  journal.server = server_;
  journal.log = rewrite;
  journal.logPath = Digest::Of(rewrite.path);
  std::vector<std::unique_ptr<AtomicFile>> staged;
  for (const Pending& pending : files_) {
    auto file = std::make_unique<AtomicFile>(pending.path);
    if (!file->Open() || !file->Write(pending.text) || !file->Stage()) {
      ReportSaveFailure(pending.path);
      return Outcome::kNotSaved;
    }
    journal.files.push_back({pending.name, Digest::Of(pending.text)});
    staged.push_back(std::move(file));
  }
  bool committed = SaveFirstJournal(journal);
  struct stat info;
  bool journalStays = committed || ::lstat(journalPath_.c_str(), &info) == 0;
  if (journalStays) {
    // The staged files belong to the journal now, even to one that could not
    // be made durable nor taken back.
    for (const auto& file : staged) {
      file->Keep();
    }
  }
  if (!committed) {
    ReportSaveFailure(journalPath_);
    return journalStays ? Outcome::kUnfinished : Outcome::kNotSaved;
  }
  for (const auto& file : staged) {
    if (!file->Commit()) {
      ReportSaveFailure(file->path());
      return Outcome::kUnfinished;
    }
  }
  auto save = [&](const LogRewrite& plan) {
    journal.log = plan;
    return SaveJournal(journalPath_, journal);
  };
  if (RewriteLog(rewrite, save) == RewriteResult::kFailed) {
    ReportLogFailure(rewrite.path);
    return Outcome::kUnfinished;
  }
  return RemoveJournal(journalPath_) ? Outcome::kSaved : Outcome::kUnfinished;
}

// Writes the journal that commits the save. When it could be written but not
// made durable, it is taken back, so that nothing is half committed.
bool ServerSave::SaveFirstJournal(const RunJournal& journal) {
  if (SaveJournal(journalPath_, journal)) {
    return true;
  }
  if (::unlink(journalPath_.c_str()) == 0) {
    SyncDirectoryOf(journalPath_);
  }
  return false;
}

namespace {

enum class Step { kDone, kFailed, kMismatch };

// Puts the journal's staged files in place: each staged file that holds its
// digest is renamed over its target; a target that holds it already was
// renamed before the interruption.
Step InstallFiles(const std::string& directory, const RunJournal& journal,
                  bool& changed) {
  for (const StagedFile& file : journal.files) {
    std::string path = directory + "/" + file.name;
    bool failed = false;
    if (DigestOf(AtomicFile::TempPathOf(path), failed) == file.digest) {
      if (!AtomicFile::InstallStaged(path)) {
        return Step::kFailed;
      }
      changed = true;
    } else if (DigestOf(path, failed) != file.digest) {
      return failed ? Step::kFailed : Step::kMismatch;
    }
  }
  return journal.files.empty() || SyncDirectoryOf(directory + "/.")
             ? Step::kDone
             : Step::kFailed;
}

Step FinishLog(const std::string& journalPath, RunJournal& journal,
               const std::string& logPath, bool& changed) {
  if (!journal.log) {
    return Step::kDone;
  }
  journal.log->path = logPath;
  auto save = [&](const LogRewrite& plan) {
    journal.log = plan;
    return SaveJournal(journalPath, journal);
  };
  switch (FinishRewrite(*journal.log, save)) {
    case RewriteResult::kRewritten:
      changed = true;
      return Step::kDone;
    case RewriteResult::kUnchanged:
    case RewriteResult::kLeftAlone:
      return Step::kDone;
    case RewriteResult::kFailed:
      break;
  }
  return Step::kFailed;
}

// What the journal at `journalPath` asks for, when it belongs to this server
// and its log.
Step ReadJournal(const std::string& journalPath, const std::string& serverName,
                 const std::string& logPath,
                 const std::vector<std::string>& stagedNames,
                 RunJournal& journal) {
  std::optional<std::string> text = ReadAll(journalPath);
  if (!text) {
    return Step::kFailed;
  }
  std::optional<RunJournal> parsed =
      JournalOf(*text, serverName, logPath, stagedNames);
  if (!parsed) {
    return Step::kMismatch;
  }
  journal = std::move(*parsed);
  return Step::kDone;
}

void RemoveLeftovers(const std::string& serverDirectory,
                     const std::string& journalPath,
                     const std::vector<std::string>& stagedNames) {
  for (const std::string& name : stagedNames) {
    ::unlink(AtomicFile::TempPathOf(serverDirectory + "/" + name).c_str());
  }
  ::unlink(AtomicFile::TempPathOf(journalPath).c_str());
}

}  // namespace

std::optional<RunJournal> JournalOf(
    std::string_view text, const std::string& serverName,
    const std::string& logPath, const std::vector<std::string>& stagedNames) {
  std::optional<RunJournal> journal = RunJournal::Parse(text, stagedNames);
  if (!journal || journal->server != Digest::Of(serverName) ||
      (journal->log && journal->logPath != Digest::Of(logPath))) {
    return std::nullopt;
  }
  return journal;
}

std::vector<std::string> StagedFileNames() {
  return {std::begin(kStagedFileNames), std::end(kStagedFileNames)};
}

Recovery FinishInterruptedSave(const std::string& serverDirectory,
                               const std::string& serverName,
                               const std::string& logPath,
                               const std::vector<std::string>& stagedNames) {
  std::string journalPath = JournalIn(serverDirectory);
  struct stat info;
  if (::lstat(journalPath.c_str(), &info) != 0 && errno == ENOENT) {
    RemoveLeftovers(serverDirectory, journalPath, stagedNames);
    return Recovery::kNothing;
  }
  RunJournal journal;
  bool changed = false;
  Step step =
      ReadJournal(journalPath, serverName, logPath, stagedNames, journal);
  if (step == Step::kDone) {
    step = InstallFiles(serverDirectory, journal, changed);
  }
  if (step == Step::kDone) {
    step = FinishLog(journalPath, journal, logPath, changed);
  }
  if (step == Step::kMismatch) {
    std::printf(
        "The journal %s does not match server %s: restore the configuration "
        "it was saved with, or remove it\n",
        journalPath.c_str(), serverName.c_str());
    return Recovery::kFailed;
  }
  if (step == Step::kFailed) {
    std::printf("Failed to recover the interrupted save: %s\n",
                journalPath.c_str());
    return Recovery::kFailed;
  }
  bool removed = RemoveJournal(journalPath);
  if (changed) {
    std::printf("Recovered the interrupted save of server %s\n",
                serverName.c_str());
  }
  return removed ? Recovery::kFinished : Recovery::kFailed;
}

}  // namespace kilnbook
