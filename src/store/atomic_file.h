// Replaces a file as a whole: readers see either the old or the new content.
#ifndef KILNBOOK_STORE_ATOMIC_FILE_H_
#define KILNBOOK_STORE_ATOMIC_FILE_H_

#include <string>
#include <string_view>

namespace kilnbook {

// Writes the new content into a temporary file beside the target (the
// target's path + ".tmp") and renames it over the target only in Commit().
// Until then, and after any failure, the target keeps its old content and
// the destructor removes the temporary file (unless Keep() was called).
//
// A new target gets mode 0664 under the process umask; an existing target
// keeps its mode, as a file truncated in place would.
class AtomicFile {
 public:
  enum class Durability {
    // The content is flushed to disk before the rename, and the rename
    // itself is made durable: for data that exists nowhere else.
    kSynced,
    // Neither: for files that a later run can write again (pages). A crash
    // still leaves the old or the new content on file systems that order a
    // replacing rename after the data it replaces with (ext4, xfs, btrfs).
    kUnsynced,
  };

  explicit AtomicFile(std::string path,
                      Durability durability = Durability::kSynced);
  ~AtomicFile();

  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file. False when the directory does not take one.
  bool Open();

  // Appends `text` to the temporary file. False after any failed write; the
  // file then cannot be committed.
  bool Write(std::string_view text);

  // Flushes (when synced) and closes the temporary file, which stays beside
  // the target with the complete new content. False on failure.
  bool Stage();

  // Stages the file when that was not done yet and renames it over the
  // target, then (when synced) makes the rename durable. False when any
  // step fails: when the rename itself failed the target is unchanged; when
  // only making it durable failed, the target already holds the new content
  // but a power loss may still undo that.
  bool Commit();

  // Leaves the temporary file in place when this object goes away, and
  // after a failed Commit: a journal has recorded it and a later run will
  // install it.
  void Keep() { keep_ = true; }

  const std::string& path() const { return path_; }
  const std::string& tempPath() const { return tempPath_; }

  // The temporary file beside `path` that holds its staged content.
  static std::string TempPathOf(const std::string& path);

  // Renames the staged content of `path`, left by an earlier Keep(), over
  // it; the caller makes the rename durable (SyncDirectoryOf).
  static bool InstallStaged(const std::string& path);

 private:
  void Discard();

  std::string path_;
  std::string tempPath_;
  Durability durability_;
  int fd_ = -1;
  bool created_ = false;  // the temporary file exists and is ours
  bool staged_ = false;
  bool failed_ = false;
  bool keep_ = false;
};

// Makes renames and removals in the directory of `path` durable; false
// when the directory cannot be opened or synced.
bool SyncDirectoryOf(const std::string& path);

// Whether a file in `directory` could be replaced now: a new file can be
// made there. Leaves no file behind, not even for a moment under a name.
bool DirectoryTakesNewFiles(const std::string& directory);

}  // namespace kilnbook

#endif  // KILNBOOK_STORE_ATOMIC_FILE_H_
