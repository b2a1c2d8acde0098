// A preload library for crash tests: kills the process with SIGKILL just
// before its Nth call that can change a file (open for writing, write,
// flush, close, truncate, sync, rename, unlink), or makes a write, truncate,
// sync or rename fail as a full or failing disk would. The program itself
// has no crash seam; the tests load this library into the built binary.
//
//   KILNBOOK_CRASH_AT=N       kill before the Nth such call (0: never)
//   KILNBOOK_CRASH_COUNT=PATH at a normal exit, write the number of calls,
//                             then on a second line the number of calls
//                             that KILNBOOK_FAIL_AT counts
//   KILNBOOK_FAIL_AT=N        the Nth write, truncate, sync or rename fails
//                             with KILNBOOK_FAIL_ERRNO (a number; default
//                             EIO) instead of running
//   KILNBOOK_FAIL_FROM=1      with KILNBOOK_FAIL_AT: every such call from the
//                             Nth on fails (a disk that stays full)
//
// The counter is process state by nature: the library exists only to count
// the calls of the one process it is loaded into.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>

namespace {

// Pages are written by several threads: each call takes its own number.
std::atomic<long> calls{0};
std::atomic<long> faultCalls{0};

void Count() {
  long call = ++calls;
  const char* at = getenv("KILNBOOK_CRASH_AT");
  if (at != nullptr && atol(at) == call) {
    kill(getpid(), SIGKILL);
  }
}

// Counts a call that can fail like a disk does; true when this one must.
bool Fails() {
  long call = ++faultCalls;
  const char* at = getenv("KILNBOOK_FAIL_AT");
  if (at == nullptr || atol(at) <= 0) {
    return false;
  }
  long point = atol(at);
  bool from = getenv("KILNBOOK_FAIL_FROM") != nullptr;
  if (call == point || (from && call > point)) {
    const char* code = getenv("KILNBOOK_FAIL_ERRNO");
    errno = code != nullptr ? atoi(code) : EIO;
    return true;
  }
  return false;
}

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool Writes(int flags) {
  return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
}

bool Writes(const char* mode) {
  for (const char* c = mode; *c != '\0'; ++c) {
    if (*c == 'w' || *c == 'a' || *c == '+') {
      return true;
    }
  }
  return false;
}

// Writes the count where the test asked for it, at a normal exit.
__attribute__((destructor)) void ReportCount() {
  const char* path = getenv("KILNBOOK_CRASH_COUNT");
  if (path == nullptr) {
    return;
  }
  auto realOpen = Next<int (*)(const char*, int, ...)>("open");
  int fd = realOpen(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) {
    return;
  }
  char text[64];
  int length = snprintf(text, sizeof(text), "%ld\n%ld\n", calls.load(),
                        faultCalls.load());
  auto realWrite = Next<ssize_t (*)(int, const void*, size_t)>("write");
  if (realWrite(fd, text, static_cast<size_t>(length)) < 0) {
    length = 0;
  }
  auto realClose = Next<int (*)(int)>("close");
  realClose(fd);
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = va_arg(args, mode_t);
  va_end(args);
  if (Writes(flags)) {
    Count();
  }
  return Next<int (*)(const char*, int, ...)>("open")(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = va_arg(args, mode_t);
  va_end(args);
  if (Writes(flags)) {
    Count();
  }
  return Next<int (*)(const char*, int, ...)>("open64")(path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = va_arg(args, mode_t);
  va_end(args);
  if (Writes(flags)) {
    Count();
  }
  return Next<int (*)(int, const char*, int, ...)>("openat")(dir, path, flags,
                                                            mode);
}

int mkstemp(char* pattern) {
  Count();
  return Next<int (*)(char*)>("mkstemp")(pattern);
}

int mkostemp(char* pattern, int flags) {
  Count();
  return Next<int (*)(char*, int)>("mkostemp")(pattern, flags);
}

FILE* fopen(const char* path, const char* mode) {
  if (Writes(mode)) {
    Count();
  }
  return Next<FILE* (*)(const char*, const char*)>("fopen")(path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
  if (Writes(mode)) {
    Count();
  }
  return Next<FILE* (*)(const char*, const char*)>("fopen64")(path, mode);
}

FILE* fdopen(int fd, const char* mode) {
  if (Writes(mode)) {
    Count();
  }
  return Next<FILE* (*)(int, const char*)>("fdopen")(fd, mode);
}

ssize_t write(int fd, const void* data, size_t size) {
  if (fd > 2) {
    Count();
    if (Fails()) {
      return -1;
    }
  }
  return Next<ssize_t (*)(int, const void*, size_t)>("write")(fd, data, size);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
  Count();
  if (Fails()) {
    return -1;
  }
  return Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite")(
      fd, data, size, offset);
}

ssize_t pwrite64(int fd, const void* data, size_t size, off_t offset) {
  Count();
  if (Fails()) {
    return -1;
  }
  return Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite64")(
      fd, data, size, offset);
}

size_t fwrite(const void* data, size_t size, size_t count, FILE* file) {
  if (file != stdout && file != stderr) {
    Count();
  }
  return Next<size_t (*)(const void*, size_t, size_t, FILE*)>("fwrite")(
      data, size, count, file);
}

int fputs(const char* text, FILE* file) {
  if (file != stdout && file != stderr) {
    Count();
  }
  return Next<int (*)(const char*, FILE*)>("fputs")(text, file);
}

int fflush(FILE* file) {
  if (file != nullptr && file != stdout && file != stderr) {
    Count();
  }
  return Next<int (*)(FILE*)>("fflush")(file);
}

int fclose(FILE* file) {
  if (file != stdout && file != stderr) {
    Count();
  }
  return Next<int (*)(FILE*)>("fclose")(file);
}

int ftruncate(int fd, off_t length) {
  Count();
  if (Fails()) {
    return -1;
  }
  return Next<int (*)(int, off_t)>("ftruncate")(fd, length);
}

int ftruncate64(int fd, off_t length) {
  Count();
  if (Fails()) {
    return -1;
  }
  return Next<int (*)(int, off_t)>("ftruncate64")(fd, length);
}

int truncate(const char* path, off_t length) {
  Count();
  if (Fails()) {
    return -1;
  }
  return Next<int (*)(const char*, off_t)>("truncate")(path, length);
}

int fsync(int fd) {
  Count();
  if (Fails()) {
    return -1;
  }
  return Next<int (*)(int)>("fsync")(fd);
}

int fdatasync(int fd) {
  Count();
  if (Fails()) {
    return -1;
  }
  return Next<int (*)(int)>("fdatasync")(fd);
}

int rename(const char* from, const char* to) {
  Count();
  if (Fails()) {
    return -1;
  }
  return Next<int (*)(const char*, const char*)>("rename")(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
  Count();
  if (Fails()) {
    return -1;
  }
  return Next<int (*)(int, const char*, int, const char*)>("renameat")(
      fromDir, from, toDir, to);
}

int unlink(const char* path) {
  Count();
  return Next<int (*)(const char*)>("unlink")(path);
}

}  // extern "C"
