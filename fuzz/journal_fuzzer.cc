// A journal left in a server directory, which anyone who can write there may
// have crafted: reading it never fails hard, accepts only the fixed names,
// and what it accepts is written back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/run_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> names = {"kilnbook.dat", "kilnbook_extra.dat"};
  std::optional<kilnbook::RunJournal> journal =
      kilnbook::RunJournal::Parse(input, names);
  if (!journal) {
    return 0;
  }
  for (const kilnbook::StagedFile& file : journal->files) {
    if (file.name != names[0] && file.name != names[1]) {
      __builtin_trap();
    }
  }
  if (journal->log && (journal->log->head.size() >= journal->log->captured ||
                       journal->log->consumed == 0)) {
    __builtin_trap();
  }
  std::string text = journal->Text();
  std::optional<kilnbook::RunJournal> again =
      kilnbook::RunJournal::Parse(text, names);
  if (!again || again->Text() != text) {
    __builtin_trap();
  }
  return 0;
}
