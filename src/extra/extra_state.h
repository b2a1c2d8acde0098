// The state file of the extended statistics, "kilnbook_extra.dat" in the
// server directory: its text, and reading it back.
#ifndef KILNBOOK_EXTRA_EXTRA_STATE_H_
#define KILNBOOK_EXTRA_EXTRA_STATE_H_

#include <string>
#include <string_view>

#include "extra/extra_records.h"

namespace kilnbook {

// The text of `records`, every record on one line, in a fixed order: the
// same records always give the same bytes.
std::string ExtraStateText(const ExtraRecords& records);

// Replaces `records` with the records of `text`. A line that is not a
// complete, well-formed record (a damaged one, or the last line when no line
// feed ends it) is skipped; a record of a name read before replaces the
// earlier one. Empty text gives empty records. Returns false, with `records`
// left empty, when the text begins with the header of another format
// version: a newer program wrote it, and it must not be overwritten.
bool ReadExtraState(std::string_view text, ExtraRecords& records);

}  // namespace kilnbook

#endif  // KILNBOOK_EXTRA_EXTRA_STATE_H_
