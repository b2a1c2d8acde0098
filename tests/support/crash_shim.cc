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
// It also plays the game server, appending to its log while the program
// works on it. Calls on the log are counted: opens of its path and every
// read, pread, fstat, write, pwrite, sync and truncate of a descriptor so
// opened.
//
//   KILNBOOK_APPEND_LOG=PATH     the log, as the program names it
//   KILNBOOK_APPEND_SOURCE=PATH  the bytes the server writes, in pieces
//   KILNBOOK_APPEND_CUTS=A,B,... where the pieces end in those bytes
//   KILNBOOK_APPEND_AT=N         piece i is appended just before call N+i on
//                                the log, from inside the program's pause
//   KILNBOOK_APPEND_DONE=PATH    holds the number of pieces appended so far
//
//   KILNBOOK_PAUSE_AT=N          the program stops itself (SIGSTOP) just
//                                before call N on the log, for a test to act
//                                while it is paused, and goes on at SIGCONT
//
// And it makes one named call on one file fail, as a failing disk or a
// changed permission would:
//
//   KILNBOOK_FAIL_CALL=NAME      open, read (or pread), rename, unlink,
//                                fsync (or fdatasync)
//   KILNBOOK_FAIL_SUFFIX=TEXT    on a file whose path ends so (for rename,
//                                either path; for reads and syncs, the path
//                                the descriptor was opened with)
//   KILNBOOK_FAIL_TIMES=N        the first N such calls fail (default 1; 0:
//                                every one), with KILNBOOK_FAIL_ERRNO
//
// A truncation is never preceded by an append: the instant between the
// program's last look at the log and its cut is the one window that no
// system call can close (measured by the soak in bench/, not tested here).
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
#include <string.h>
#include <sys/stat.h>
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

// The game server, appending to its log.
struct Appender {
  bool active = false;
  char log[4096] = {};
  long at = 0;
  std::atomic<long> calls{0};
  std::atomic<long> pieces{0};
  std::atomic<bool> logFds[4096] = {};
};

Appender& TheAppender();

// The path each descriptor was opened with, for the named failures.
char fdPaths[4096][512];
std::atomic<long> namedFailures{0};

// True when this call of `name` on `path` must fail; sets errno.
bool FailsNamed(const char* name, const char* path) {
  const char* call = getenv("KILNBOOK_FAIL_CALL");
  const char* suffix = getenv("KILNBOOK_FAIL_SUFFIX");
  if (call == nullptr || suffix == nullptr || path == nullptr ||
      strcmp(call, name) != 0) {
    return false;
  }
  size_t length = strlen(path);
  size_t suffixLength = strlen(suffix);
  if (length < suffixLength ||
      strcmp(path + length - suffixLength, suffix) != 0) {
    return false;
  }
  const char* times = getenv("KILNBOOK_FAIL_TIMES");
  long limit = times != nullptr ? atol(times) : 1;
  if (limit > 0 && ++namedFailures > limit) {
    return false;
  }
  const char* code = getenv("KILNBOOK_FAIL_ERRNO");
  errno = code != nullptr ? atoi(code) : EIO;
  return true;
}

const char* PathOf(int fd) {
  return fd >= 0 && fd < 4096 ? fdPaths[fd] : nullptr;
}

bool IsLogPath(const char* path) {
  Appender& appender = TheAppender();
  return appender.active && path != nullptr && strcmp(path, appender.log) == 0;
}

bool IsLogFd(int fd) {
  Appender& appender = TheAppender();
  return appender.active && fd >= 0 && fd < 4096 && appender.logFds[fd];
}

// Reads the whole file at `path` with the real calls; false when it cannot.
bool ReadSource(const char* path, char** text, size_t* size);

// Called before each call on the log; appends the next piece when due.
void TouchLog(bool truncating);

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

Appender& TheAppender() {
  static Appender appender;
  static bool ready = [] {
    const char* log = getenv("KILNBOOK_APPEND_LOG");
    const char* at = getenv("KILNBOOK_APPEND_AT");
    if (log != nullptr && strlen(log) < sizeof appender.log) {
      strcpy(appender.log, log);
      appender.at = at != nullptr ? atol(at) : 0;
      appender.active = true;
    }
    return true;
  }();
  (void)ready;
  return appender;
}

bool ReadSource(const char* path, char** text, size_t* size) {
  auto realOpen = Next<int (*)(const char*, int, ...)>("open");
  auto realRead = Next<ssize_t (*)(int, void*, size_t)>("read");
  auto realClose = Next<int (*)(int)>("close");
  int fd = realOpen(path, O_RDONLY);
  if (fd < 0) {
    return false;
  }
  size_t capacity = 1 << 16;
  *text = static_cast<char*>(malloc(capacity));
  *size = 0;
  while (true) {
    if (*size == capacity) {
      capacity *= 2;
      *text = static_cast<char*>(realloc(*text, capacity));
    }
    ssize_t got = realRead(fd, *text + *size, capacity - *size);
    if (got <= 0) {
      realClose(fd);
      return got == 0;
    }
    *size += static_cast<size_t>(got);
  }
}

// Piece `index` of the source: its bounds from KILNBOOK_APPEND_CUTS.
bool PieceBounds(long index, size_t total, size_t* begin, size_t* end) {
  const char* cuts = getenv("KILNBOOK_APPEND_CUTS");
  size_t previous = 0;
  for (long i = 0;; ++i) {
    size_t cut = total;
    bool last = cuts == nullptr || *cuts == '\0';
    if (!last) {
      cut = strtoul(cuts, const_cast<char**>(&cuts), 10);
      if (*cuts == ',') {
        ++cuts;
      }
    }
    if (i == index) {
      *begin = previous;
      *end = cut > total ? total : cut;
      return *begin < *end || !last;
    }
    if (last) {
      return false;
    }
    previous = cut;
  }
}

void TouchLog(bool truncating) {
  Appender& appender = TheAppender();
  long call = ++appender.calls;
  const char* pause = getenv("KILNBOOK_PAUSE_AT");
  if (pause != nullptr && atol(pause) == call) {
    raise(SIGSTOP);
  }
  long index = call - appender.at;
  if (truncating || appender.at <= 0 || index < 0 ||
      index != appender.pieces.load()) {
    return;
  }
  char* text = nullptr;
  size_t size = 0;
  size_t begin = 0;
  size_t end = 0;
  const char* source = getenv("KILNBOOK_APPEND_SOURCE");
  if (source == nullptr || !ReadSource(source, &text, &size) ||
      !PieceBounds(index, size, &begin, &end)) {
    free(text);
    return;
  }
  auto realOpen = Next<int (*)(const char*, int, ...)>("open");
  auto realWrite = Next<ssize_t (*)(int, const void*, size_t)>("write");
  auto realClose = Next<int (*)(int)>("close");
  int log = realOpen(appender.log, O_WRONLY | O_APPEND);
  if (log >= 0) {
    if (realWrite(log, text + begin, end - begin) ==
        static_cast<ssize_t>(end - begin)) {
      ++appender.pieces;
    }
    realClose(log);
  }
  free(text);
  const char* done = getenv("KILNBOOK_APPEND_DONE");
  if (done != nullptr) {
    int fd = realOpen(done, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      char number[32];
      int length =
          snprintf(number, sizeof number, "%ld\n", appender.pieces.load());
      if (realWrite(fd, number, static_cast<size_t>(length)) < 0) {
        length = 0;
      }
      realClose(fd);
    }
  }
}

// Opens of the log are calls on it, and their descriptors are followed.
int Opened(const char* path, int fd) {
  if (fd >= 0 && fd < 4096) {
    snprintf(fdPaths[fd], sizeof fdPaths[fd], "%s", path);
    TheAppender().logFds[fd] = IsLogPath(path);
  }
  return fd;
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
  int length = snprintf(text, sizeof(text), "%ld\n%ld\n%ld\n", calls.load(),
                        faultCalls.load(), TheAppender().calls.load());
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
  if (IsLogPath(path)) {
    TouchLog(false);
  }
  if (FailsNamed("open", path)) {
    return -1;
  }
  return Opened(
      path, Next<int (*)(const char*, int, ...)>("open")(path, flags, mode));
}

int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = va_arg(args, mode_t);
  va_end(args);
  if (Writes(flags)) {
    Count();
  }
  if (IsLogPath(path)) {
    TouchLog(false);
  }
  return Opened(
      path, Next<int (*)(const char*, int, ...)>("open64")(path, flags, mode));
}

int openat(int dir, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = va_arg(args, mode_t);
  va_end(args);
  if (Writes(flags)) {
    Count();
  }
  return Opened(path, Next<int (*)(int, const char*, int, ...)>("openat")(
                          dir, path, flags, mode));
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
  FILE* file = Next<FILE* (*)(const char*, const char*)>("fopen")(path, mode);
  if (file != nullptr) {
    Opened(path, fileno(file));
  }
  return file;
}

FILE* fopen64(const char* path, const char* mode) {
  if (Writes(mode)) {
    Count();
  }
  FILE* file = Next<FILE* (*)(const char*, const char*)>("fopen64")(path, mode);
  if (file != nullptr) {
    Opened(path, fileno(file));
  }
  return file;
}

// Streams read inside the C library, past the read wrapper: a named read
// failure is made here, with the stream's error indicator set as a failed
// read would (glibc's flag).
size_t fread(void* data, size_t size, size_t count, FILE* file) {
  if (FailsNamed("read", PathOf(fileno(file)))) {
    file->_flags |= 0x20;  // _IO_ERR_SEEN
    return 0;
  }
  return Next<size_t (*)(void*, size_t, size_t, FILE*)>("fread")(data, size,
                                                                 count, file);
}

FILE* fdopen(int fd, const char* mode) {
  if (Writes(mode)) {
    Count();
  }
  return Next<FILE* (*)(int, const char*)>("fdopen")(fd, mode);
}

ssize_t write(int fd, const void* data, size_t size) {
  if (IsLogFd(fd)) {
    TouchLog(false);
  }
  if (fd > 2) {
    Count();
    if (Fails()) {
      return -1;
    }
  }
  return Next<ssize_t (*)(int, const void*, size_t)>("write")(fd, data, size);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
  if (IsLogFd(fd)) {
    TouchLog(false);
  }
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
  int fd = fileno(file);
  if (fd >= 0 && fd < 4096) {
    fdPaths[fd][0] = '\0';
    TheAppender().logFds[fd] = false;
  }
  return Next<int (*)(FILE*)>("fclose")(file);
}

int ftruncate(int fd, off_t length) {
  if (IsLogFd(fd)) {
    TouchLog(true);
  }
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
  if (IsLogFd(fd)) {
    TouchLog(false);
  }
  Count();
  if (Fails() || FailsNamed("fsync", PathOf(fd))) {
    return -1;
  }
  return Next<int (*)(int)>("fsync")(fd);
}

int fdatasync(int fd) {
  if (IsLogFd(fd)) {
    TouchLog(false);
  }
  Count();
  if (Fails() || FailsNamed("fsync", PathOf(fd))) {
    return -1;
  }
  return Next<int (*)(int)>("fdatasync")(fd);
}

int rename(const char* from, const char* to) {
  Count();
  if (Fails() || FailsNamed("rename", from) || FailsNamed("rename", to)) {
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

ssize_t read(int fd, void* data, size_t size) {
  if (IsLogFd(fd)) {
    TouchLog(false);
  }
  if (FailsNamed("read", PathOf(fd))) {
    return -1;
  }
  return Next<ssize_t (*)(int, void*, size_t)>("read")(fd, data, size);
}

ssize_t pread(int fd, void* data, size_t size, off_t offset) {
  if (IsLogFd(fd)) {
    TouchLog(false);
  }
  if (FailsNamed("read", PathOf(fd))) {
    return -1;
  }
  return Next<ssize_t (*)(int, void*, size_t, off_t)>("pread")(fd, data, size,
                                                               offset);
}

int fstat(int fd, struct stat* info) {
  if (IsLogFd(fd)) {
    TouchLog(false);
  }
  return Next<int (*)(int, struct stat*)>("fstat")(fd, info);
}

int close(int fd) {
  if (fd >= 0 && fd < 4096) {
    TheAppender().logFds[fd] = false;
    fdPaths[fd][0] = '\0';
  }
  return Next<int (*)(int)>("close")(fd);
}

int unlink(const char* path) {
  Count();
  if (FailsNamed("unlink", path)) {
    return -1;
  }
  return Next<int (*)(const char*)>("unlink")(path);
}

}  // extern "C"
