#include "report/page_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "store/atomic_file.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

constexpr std::string_view kPageSuffix = ".html";

bool IsSymbolicLink(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() > end.size() &&
         text.substr(text.size() - end.size()) == end;
}

}  // namespace

PageFile::PageFile(std::string path) : path_(std::move(path)) {}

bool PageFile::Open(Creation creation) {
  // Never through a link: a link in the page's place is replaced, not
  // followed. Never waiting for the reader of a FIFO either.
  int flags = O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
  if (creation == Creation::kAtOpen) {
    flags |= O_CREAT;
  }
  Fd page(::open(path_.c_str(), flags, 0664));
  int error = errno;
  exists_ = page.ok() || (error == ELOOP && IsSymbolicLink(path_));
  return exists_ || (creation == Creation::kByRename && error == ENOENT);
}

PageFile::Outcome PageFile::Replace(std::string_view html) {
  AtomicFile file(path_, AtomicFile::Durability::kUnsynced);
  if (!file.Open()) {
    return exists_ ? Outcome::kNotWritten : Outcome::kNotOpened;
  }
  if (!file.Write(html) || !file.Commit()) {
    return Outcome::kNotWritten;
  }
  exists_ = true;
  return Outcome::kWritten;
}

void PageFile::RemoveLeftovers(const std::string& directory) {
  // The name AtomicFile gives the new content of any page.
  const std::string leftover = AtomicFile(std::string(kPageSuffix)).tempPath();
  DIR* listing = ::opendir(directory.c_str());
  if (listing == nullptr) {
    return;
  }
  while (const dirent* entry = ::readdir(listing)) {
    if (EndsWith(entry->d_name, leftover)) {
      ::unlinkat(::dirfd(listing), entry->d_name, 0);
    }
  }
  ::closedir(listing);
}

void PageFile::RemovePages(const std::string& directory,
                           const std::string& folder,
                           const std::vector<std::string>& fileNames) {
  if (fileNames.empty()) {
    return;
  }
  int parent = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent < 0) {
    return;
  }
  int pages = ::openat(parent, folder.c_str(),
                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  ::close(parent);
  if (pages < 0) {
    return;
  }
  for (const std::string& name : fileNames) {
    if (!name.empty() && name.find('/') == std::string::npos && name != "." &&
        name != "..") {
      ::unlinkat(pages, name.c_str(), 0);
    }
  }
  ::close(pages);
}

}  // namespace kilnbook
