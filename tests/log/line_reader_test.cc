#include "log/line_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace kilnbook {
namespace {

struct ReadResult {
  std::vector<std::string> lines;
  std::vector<uint64_t> offsets;  // Offset() after each line
  bool lastEndedWithNewline = false;
  bool failed = false;
};

class LineReaderTest : public TempDirTest {
 protected:
  ReadResult ReadAll(const std::string& content) {
    WriteFile("input.log", content);
    return ReadPath("input.log");
  }

  static ReadResult ReadPath(const std::string& path) {
    ReadResult result;
    FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_NE(file, nullptr) << path;
    if (file == nullptr) {
      return result;
    }
    LineReader reader(file);
    std::string_view line;
    while (reader.Next(line)) {
      result.lines.emplace_back(line);
      result.offsets.push_back(reader.Offset());
      result.lastEndedWithNewline = reader.EndedWithNewline();
    }
    // The end stays the end.
    EXPECT_FALSE(reader.Next(line));
    result.failed = reader.Failed();
    std::fclose(file);
    return result;
  }
};

using Lines = std::vector<std::string>;

TEST_F(LineReaderTest, SplitsAtLineFeeds) {
  const struct {
    std::string content;
    Lines lines;
    bool lastEndedWithNewline;
  } cases[] = {
      {"a\nb\n", {"a", "b"}, true},
      {"a\nb", {"a", "b"}, false},
      {"", {}, false},
      {"\n", {""}, true},
      {"\n\n", {"", ""}, true},
      {"a\n\n\nb\n", {"a", "", "", "b"}, true},
      {"a\r\nb\r\n", {"a\r", "b\r"}, true},
      {"a\r\n\r\n", {"a\r", "\r"}, true},
      {"a\rb\n", {"a\rb"}, true},
      {std::string("a\0b\n", 4), {std::string("a\0b", 3)}, true},
  };
  for (const auto& c : cases) {
    ReadResult result = ReadAll(c.content);
    EXPECT_EQ(result.lines, c.lines) << "content: [" << c.content << "]";
    EXPECT_EQ(result.lastEndedWithNewline, c.lastEndedWithNewline)
        << "content: [" << c.content << "]";
    EXPECT_FALSE(result.failed);
  }
}

TEST_F(LineReaderTest, OffsetCountsConsumedBytes) {
  ReadResult result = ReadAll("ab\n\ncde\r\nf");
  EXPECT_EQ(result.offsets, (std::vector<uint64_t>{3, 4, 9, 10}));
}

TEST_F(LineReaderTest, LinesAroundTheChunkSize) {
  // The reader fills 64 KiB at a time; lines that end just before, on and
  // just after a chunk boundary, and lines several chunks long, come whole.
  const size_t kChunk = 1 << 16;
  for (size_t length : {kChunk - 2, kChunk - 1, kChunk, kChunk + 1,
                        3 * kChunk + 7, 10 * kChunk}) {
    std::string longLine(length, 'x');
    longLine.front() = '<';
    longLine.back() = '>';
    ReadResult result = ReadAll(longLine + "\nshort\n" + longLine);
    ASSERT_EQ(result.lines.size(), 3u) << "length " << length;
    EXPECT_EQ(result.lines[0], longLine) << "length " << length;
    EXPECT_EQ(result.lines[1], "short") << "length " << length;
    EXPECT_EQ(result.lines[2], longLine) << "length " << length;
    EXPECT_FALSE(result.lastEndedWithNewline);
    EXPECT_EQ(result.offsets.back(), 2 * length + 7);
  }
}

TEST_F(LineReaderTest, ManyLinesAcrossManyChunks) {
  Lines expected;
  std::string content;
  for (int i = 0; i < 40000; ++i) {
    std::string line = "  " + std::to_string(i % 60) + ":00 say: " +
                       std::string(static_cast<size_t>(i % 37),
                                   static_cast<char>('a' + i % 26));
    if (i % 5 == 0) {
      line += '\r';
    }
    expected.push_back(line);
    content += line + "\n";
  }
  ReadResult result = ReadAll(content);
  EXPECT_EQ(result.lines, expected);
  EXPECT_EQ(result.offsets.back(), content.size());
}

TEST_F(LineReaderTest, ReadErrorIsNotTheEnd) {
  // A directory opens for reading but cannot be read.
  ReadResult result = ReadPath(".");
  EXPECT_TRUE(result.lines.empty());
  EXPECT_TRUE(result.failed);
}

}  // namespace
}  // namespace kilnbook
