// The configuration part of --check: how each line of kilnbook.cfg is read,
// and where that is not what the line seems to say.
#ifndef KILNBOOK_APP_CONFIG_CHECK_H_
#define KILNBOOK_APP_CONFIG_CHECK_H_

#include <string_view>

#include "app/check_output.h"
#include "config/config.h"

namespace kilnbook {

// One item per line that is not blank: the key it is read as and the value
// as stored. Errors for what a run would read differently from what the
// line says: a key found inside the line rather than at its start, a key
// followed by a letter, digit or underscore, a value that starts with a
// blank or "=" (or, for the keys that name files, ends with a blank), a
// number that is none, a MULTI line that adds no server or loses a byte of a
// value, a line that matches no key and is not a remark starting with "#".
// Warnings for a key set twice and values that lose bytes to cleaning; notes
// for keys that the mode leaves unused, and for KEEP_GAMES without
// EXTENDED_STATS. `config` is what a run makes of
// `text`.
void CheckConfigLines(std::string_view text, const Config& config,
                      CheckOutput& out);

// The run that `config` describes: its mode and servers, with errors for a
// single server without SERVER_NAME or LOGFILE and for a server name given
// twice, and a warning for a PATH that does not end with "/" and for servers
// that share a log.
void CheckConfigServers(const Config& config, CheckOutput& out);

}  // namespace kilnbook

#endif  // KILNBOOK_APP_CONFIG_CHECK_H_
