// Making sure the output directories of a run exist.
#ifndef KILNBOOK_APP_DIRECTORY_H_
#define KILNBOOK_APP_DIRECTORY_H_

#include <string>

namespace kilnbook {

// Tests `path` by entering it (and returning to the working directory) and
// creates it with mode 0777, under the umask, when it cannot be entered.
// Only the last component is created; a failed creation is not reported.
// When the working directory cannot be recorded, prints "Failed to get
// cwd\n" and tests `path` without entering it. The working directory is the
// same afterwards.
void EnsureDirectory(const std::string& path);

}  // namespace kilnbook

#endif  // KILNBOOK_APP_DIRECTORY_H_
