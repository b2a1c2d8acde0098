#include "app/command_line.h"

#include <getopt.h>

#include "report/stylesheet.h"
#include "report/summary_xml.h"

namespace kilnbook {

namespace {

// Values of the long options that have no short form.
enum LongOnly : int {
  kCheckOption = 256,
  kReportOption,
  kMetricsOption,
  kVersionOption,
};

constexpr option kOptions[] = {
    {"directory", required_argument, nullptr, 'C'},
    {"check", no_argument, nullptr, kCheckOption},
    {"report", no_argument, nullptr, kReportOption},
    {"metrics", required_argument, nullptr, kMetricsOption},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersionOption},
    {nullptr, 0, nullptr, 0},
};

// "+": options end at the first operand, and argv is never reordered;
// ":": a missing value is told apart from an unknown option.
constexpr char kShortOptions[] = "+:C:h";

std::string OptionName(int value) {
  for (const option& candidate : kOptions) {
    if (candidate.name != nullptr && candidate.val == value) {
      return value == 'C' ? "-C/--directory"
                          : "--" + std::string(candidate.name);
    }
  }
  return "-" + std::string(1, static_cast<char>(value));
}

CommandLine UsageError(std::string error) {
  CommandLine line;
  line.action = CommandLine::Action::kUsageError;
  line.error = std::move(error);
  return line;
}

// The error of a '?' from getopt_long: an unknown option, or a value given
// to an option that takes none.
std::string UnknownOptionError(int problem, const char* argument) {
  if (problem != 0 && problem != '?') {
    if (problem >= kCheckOption) {
      return "option " + OptionName(problem) + " takes no value";
    }
    return "unknown option '-" + std::string(1, static_cast<char>(problem)) +
           "'";
  }
  return "unknown option '" + std::string(argument) + "'";
}

}  // namespace

CommandLine ParseCommandLine(int argc, char* const argv[]) {
  CommandLine line;
  bool check = false;
  bool help = false;
  bool version = false;
  // getopt_long keeps its position in globals: 0 starts afresh.
  optind = 0;
  opterr = 0;
  int option;
  while ((option = getopt_long(argc, argv, kShortOptions, kOptions, nullptr)) !=
         -1) {
    switch (option) {
      case 'C':
      case kMetricsOption:
        if (*optarg == '\0') {
          return UsageError("option " + OptionName(option) + " needs a value");
        }
        if (option == 'C') {
          line.directories.push_back(optarg);
        } else {
          line.metricsPath = optarg;
        }
        break;
      case kCheckOption:
        check = true;
        break;
      case kReportOption:
        line.report = true;
        break;
      case 'h':
        help = true;
        break;
      case kVersionOption:
        version = true;
        break;
      case ':':
        return UsageError("option " + OptionName(optopt) + " needs a value");
      default:
        return UsageError(UnknownOptionError(optopt, argv[optind - 1]));
    }
  }
  if (optind < argc) {
    return UsageError("unexpected argument '" + std::string(argv[optind]) +
                      "'");
  }
  if (help || version) {
    line.action =
        help ? CommandLine::Action::kHelp : CommandLine::Action::kVersion;
  } else if (check && (line.report || line.metricsPath)) {
    return UsageError(
        "--check writes nothing: it takes no --report or "
        "--metrics");
  } else if (check) {
    line.action = CommandLine::Action::kCheck;
  }
  return line;
}

std::string UsageSynopsis() {
  return R"(Usage: kilnbook [-C DIR]... [--report] [--metrics=FILE]
       kilnbook [-C DIR]... --check
       kilnbook --help | --version
)";
}

std::string UsageText() {
  return UsageSynopsis() + R"(
Takes the finished games out of the logs of the game servers that
kilnbook.cfg in the working directory names, adds them to the statistics
and writes the pages. Without options a run prints only its failures, on
standard output, and exits with status 0.

  -C, --directory=DIR  work in DIR, as if started there; each further -C is
                         taken from the one before
      --check          read kilnbook.cfg and the installation and write
                         nothing: say how each line of the configuration is
                         read and what a run would find for each server and
                         stylesheet; exit status 1 when a run would fail or
                         lose work
      --report         run, then write one line per server on standard
                         error: games counted, players, pages made / kept /
                         failed, bytes of log consumed, the time of each stage
      --metrics=FILE   run, then write the same figures to FILE in the
                         Prometheus text format (for node_exporter's textfile
                         collector), written beside it and renamed over it
  -h, --help           print this help and exit
      --version        print the versions of kilnbook and of its XML
                         libraries and exit

Exit status: 0 after a run, whatever it reported, and after --help or
--version; 1 when --check finds a fault or the metrics file cannot be
written; 2 for a usage error or a directory that cannot be entered.
See kilnbook(1).
)";
}

std::string VersionText() {
  return std::string("kilnbook ") + kVersion + "\n" + XmlLibraryVersions() +
         "\n";
}

}  // namespace kilnbook
