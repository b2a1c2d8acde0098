#include "log/line_reader.h"

#include <cstring>

namespace kilnbook {

namespace {

constexpr size_t kChunkSize = 1 << 16;

}  // namespace

LineReader::LineReader(FILE* file) : file_(file), buffer_(kChunkSize, '\0') {}

bool LineReader::Fill() {
  if (eof_ || failed_) {
    return false;
  }
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (buffer_.size() - end_ < kChunkSize / 2) {
    buffer_.resize(buffer_.size() * 2);
  }
  size_t got =
      std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
  end_ += got;
  if (got == 0) {
    if (std::ferror(file_)) {
      failed_ = true;
    } else {
      eof_ = true;
    }
    return false;
  }
  return true;
}

bool LineReader::Next(std::string_view& line) {
  size_t scanned = begin_;
  while (true) {
    const char* start = buffer_.data() + scanned;
    const void* newline = std::memchr(start, '\n', end_ - scanned);
    if (newline != nullptr) {
      size_t at = static_cast<size_t>(static_cast<const char*>(newline) -
                                      buffer_.data());
      line = std::string_view(buffer_.data() + begin_, at - begin_);
      offset_ += at + 1 - begin_;
      begin_ = at + 1;
      endedWithNewline_ = true;
      return true;
    }
    size_t scannedFromBegin = end_ - begin_;
    if (!Fill()) {
      break;
    }
    scanned = begin_ + scannedFromBegin;
  }
  if (failed_ || begin_ == end_) {
    return false;
  }
  line = std::string_view(buffer_.data() + begin_, end_ - begin_);
  offset_ += end_ - begin_;
  begin_ = end_;
  endedWithNewline_ = false;
  return true;
}

}  // namespace kilnbook
