// The text that --check prints, built up finding by finding, with its count
// of errors and warnings.
#ifndef KILNBOOK_APP_CHECK_OUTPUT_H_
#define KILNBOOK_APP_CHECK_OUTPUT_H_

#include <string>
#include <string_view>

namespace kilnbook {

// Lines, each ended by a line feed:
//   Heading
//     item: what was found
//       error: what would fail or lose work, and what to do about it
//       warning: what a run would get wrong or would not do
//       note: what is worth knowing
//         detail (a library's message under an error)
class CheckOutput {
 public:
  void Heading(std::string_view text);
  void Item(std::string_view text);
  void Error(std::string_view text);
  void Warning(std::string_view text);
  void Note(std::string_view text);
  void Detail(std::string_view text);

  const std::string& text() const { return text_; }
  int errors() const { return errors_; }
  int warnings() const { return warnings_; }

 private:
  void Line(std::string_view indent, std::string_view text);

  std::string text_;
  int errors_ = 0;
  int warnings_ = 0;
};

// `text` in double quotes, with control bytes written as \xNN (and a double
// quote or backslash escaped), so that blanks at either end show.
std::string Quoted(std::string_view text);

// A path for a message: as it is, or Quoted when it is empty or holds a
// blank, a quote or a control byte.
std::string PathText(std::string_view path);

// One byte for a message: 'x' when printable, "byte 0x09" otherwise.
std::string ByteName(char c);

}  // namespace kilnbook

#endif  // KILNBOOK_APP_CHECK_OUTPUT_H_
