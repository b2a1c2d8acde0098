// A data file through PopulateFromDAT and back through FlushToDAT: whatever
// the file held, what is written must read back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/stats_app.h"
#include "fuzz_dir.h"

namespace {

constexpr char kDataFile[] = "kilnbook.dat";

// One load and save of kilnbook.dat; its new content.
std::string Cycle() {
  kilnbook::StatsApp app;
  app.PopulateFromDAT();
  app.FlushToDAT();
  return kilnbook::ReadBytes(kDataFile);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // No SERVER_NAME: the server is "" and its data file ./kilnbook.dat.
  kilnbook::EnterFuzzDirectory("PATH ./\n");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kilnbook::WriteBytes(
      kDataFile, std::string_view(reinterpret_cast<const char*>(data), size));
  std::string first = Cycle();
  std::string second = Cycle();
  if (first != second) {
    __builtin_trap();
  }
  return 0;
}
