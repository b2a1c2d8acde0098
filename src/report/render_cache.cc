#include "report/render_cache.h"

#include <libxml/xmlversion.h>
#include <libxslt/xsltconfig.h>
#include <sys/stat.h>

#include "log/number_text.h"
#include "report/summary_xml.h"
#include "store/atomic_file.h"
#include "store/fd.h"
#include "store/text_fields.h"

namespace kilnbook {

namespace {

// The file: this header, then one line per page:
//
//   <inputs digest> <device> <inode> <type> <size> <modified seconds>
//   <modified nanoseconds> <changed seconds> <changed nanoseconds>
//   <name length>:<name>
//
// separated by single blanks, numbers in decimal. A file with another header
// (an older format) reads as empty.
constexpr std::string_view kHeader = "kilnbook pages 2\n";

// Part of every key: a new program or library may make other pages.
const std::string& ProgramStamp() {
  static const std::string stamp =
      std::string("kilnbook ") + kVersion + " pages 1, libxslt " +
      LIBXSLT_DOTTED_VERSION + ", libxml2 " + LIBXML_DOTTED_VERSION;
  return stamp;
}

bool ReadEntry(TextFields& in, std::string& name, RenderCache::Entry& entry) {
  PageIdentity& page = entry.page;
  return in.DigestValue(entry.inputs) && in.Word(" ") &&
         in.Unsigned(page.device) && in.Word(" ") && in.Unsigned(page.inode) &&
         in.Word(" ") && in.Unsigned(page.type) && in.Word(" ") &&
         in.Unsigned(page.size) && in.Word(" ") &&
         in.Signed(page.modifiedSeconds) && in.Word(" ") &&
         in.Signed(page.modifiedNanoseconds) && in.Word(" ") &&
         in.Signed(page.changedSeconds) && in.Word(" ") &&
         in.Signed(page.changedNanoseconds) && in.Word(" ") && in.Text(name) &&
         in.Word("\n");
}

}  // namespace

std::optional<PageIdentity> PageIdentity::Of(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) {
    return std::nullopt;
  }
  PageIdentity identity;
  identity.device = static_cast<uint64_t>(info.st_dev);
  identity.inode = static_cast<uint64_t>(info.st_ino);
  identity.type = static_cast<uint64_t>(info.st_mode & S_IFMT);
  identity.size = static_cast<uint64_t>(info.st_size);
  identity.modifiedSeconds = static_cast<int64_t>(info.st_mtim.tv_sec);
  identity.modifiedNanoseconds = static_cast<int64_t>(info.st_mtim.tv_nsec);
  identity.changedSeconds = static_cast<int64_t>(info.st_ctim.tv_sec);
  identity.changedNanoseconds = static_cast<int64_t>(info.st_ctim.tv_nsec);
  return identity;
}

RenderCache::Key::Key() { builder_.Add(ProgramStamp()); }

void RenderCache::Key::Add(const Digest& styleInputs,
                           std::string_view document) {
  std::string stamp = styleInputs.Hex();
  stamp += ' ';
  AppendUnsignedNumber(stamp, document.size());
  stamp += '\n';
  builder_.Add(stamp);
  builder_.Add(document);
}

RenderCache RenderCache::Load(const std::string& path) {
  std::optional<std::string> text = ReadAll(path);
  return text ? Parse(*text) : RenderCache();
}

void RenderCache::Save(const std::string& path) const {
  AtomicFile file(path, AtomicFile::Durability::kUnsynced);
  if (file.Open() && file.Write(Text())) {
    file.Commit();
  }
}

std::string RenderCache::Text() const {
  std::string out(kHeader);
  for (const auto& [name, entry] : entries_) {
    const PageIdentity& page = entry.page;
    out += entry.inputs.Hex();
    for (uint64_t value : {page.device, page.inode, page.type, page.size}) {
      out += ' ';
      AppendUnsignedNumber(out, value);
    }
    for (int64_t value : {page.modifiedSeconds, page.modifiedNanoseconds,
                          page.changedSeconds, page.changedNanoseconds}) {
      out += ' ';
      AppendWideNumber(out, value);
    }
    out += ' ';
    AppendFieldText(out, name);
    out += '\n';
  }
  return out;
}

RenderCache RenderCache::Parse(std::string_view text) {
  TextFields in(text);
  RenderCache cache;
  if (!in.Word(kHeader)) {
    return cache;
  }
  while (!in.AtEnd()) {
    std::string name;
    Entry entry;
    if (!ReadEntry(in, name, entry)) {
      return RenderCache();  // damaged: render everything
    }
    cache.entries_[std::move(name)] = entry;
  }
  return cache;
}

const RenderCache::Entry* RenderCache::FindCurrent(
    const std::string& name, const Digest& inputs,
    const std::string& path) const {
  const Entry* entry = Find(name);
  if (entry == nullptr || entry->inputs != inputs ||
      PageIdentity::Of(path) != entry->page) {
    return nullptr;
  }
  return entry;
}

std::optional<RenderCache::Entry> RenderCache::EntryOf(
    const Digest& inputs, const std::string& path) {
  std::optional<PageIdentity> page = PageIdentity::Of(path);
  if (!page) {
    return std::nullopt;
  }
  return Entry{inputs, *page};
}

const RenderCache::Entry* RenderCache::Find(const std::string& name) const {
  auto it = entries_.find(name);
  return it == entries_.end() ? nullptr : &it->second;
}

void RenderCache::Set(const std::string& name, const Entry& entry) {
  entries_[name] = entry;
}

}  // namespace kilnbook
