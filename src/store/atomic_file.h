// Replaces a file as a whole: readers see either the old or the new content.
#ifndef KILNBOOK_STORE_ATOMIC_FILE_H_
#define KILNBOOK_STORE_ATOMIC_FILE_H_

#include <string>
#include <string_view>

namespace kilnbook {

// Writes the new content into a temporary file beside the target, flushes it
// to disk and renames it over the target only in Commit(). Until then, and
// after any failure, the target keeps its old content and the destructor
// removes the temporary file.
//
// A new target gets mode 0664 under the process umask; an existing target
// keeps its mode, as a file truncated in place would.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);
  ~AtomicFile();

  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file. False when the directory does not take one.
  bool Open();

  // Appends `text` to the temporary file. False after any failed write; the
  // file then cannot be committed.
  bool Write(std::string_view text);

  // Flushes, closes and renames the temporary file over the target. False
  // when any step fails; the target is then unchanged.
  bool Commit();

  // The temporary file's path, for tests.
  const std::string& tempPath() const { return tempPath_; }

 private:
  void Discard();

  std::string path_;
  std::string tempPath_;
  int fd_ = -1;
  bool failed_ = false;
};

}  // namespace kilnbook

#endif  // KILNBOOK_STORE_ATOMIC_FILE_H_
