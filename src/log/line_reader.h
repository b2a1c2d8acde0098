// Reads a file line by line, lines of any length, with one growing buffer.
#ifndef KILNBOOK_LOG_LINE_READER_H_
#define KILNBOOK_LOG_LINE_READER_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kilnbook {

class LineReader {
 public:
  // `file` is borrowed: it must stay open while the reader is used.
  explicit LineReader(FILE* file);

  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Gives the next line without its line feed (a carriage return before it
  // stays). A last line without a line feed is still a line. The view is
  // valid until the next call. Returns false at the end of the file or on a
  // read error; Failed() tells the two apart.
  bool Next(std::string_view& line);

  // True when the line last given by Next() was ended by a line feed.
  bool EndedWithNewline() const { return endedWithNewline_; }

  // True when reading stopped because of a read error.
  bool Failed() const { return failed_; }

  // Bytes of the file consumed by the lines given so far.
  uint64_t Offset() const { return offset_; }

 private:
  // Moves unread bytes to the front and reads more; false when nothing more
  // could be read.
  bool Fill();

  FILE* file_;
  std::string buffer_;
  size_t begin_ = 0;  // first unread byte in buffer_
  size_t end_ = 0;    // one past the last valid byte in buffer_
  uint64_t offset_ = 0;
  bool eof_ = false;
  bool failed_ = false;
  bool endedWithNewline_ = false;
};

}  // namespace kilnbook

#endif  // KILNBOOK_LOG_LINE_READER_H_
