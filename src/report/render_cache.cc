#include "report/render_cache.h"

#include <sys/stat.h>

#include <charconv>

#include "log/number_text.h"
#include "store/fd.h"

namespace kilnbook {

namespace {

constexpr std::string_view kHeader = "kilnbook pages 1\n";

template <typename Number>
bool ReadNumber(std::string_view& text, Number& value) {
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr == text.data() ||
      result.ptr == text.data() + text.size() || *result.ptr != ' ') {
    return false;
  }
  text.remove_prefix(static_cast<size_t>(result.ptr - text.data()) + 1);
  return true;
}

}  // namespace

std::optional<PageIdentity> PageIdentity::Of(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return std::nullopt;
  }
  PageIdentity identity;
  identity.device = static_cast<uint64_t>(info.st_dev);
  identity.inode = static_cast<uint64_t>(info.st_ino);
  identity.size = static_cast<uint64_t>(info.st_size);
  identity.modifiedSeconds = static_cast<int64_t>(info.st_mtim.tv_sec);
  identity.modifiedNanoseconds = static_cast<int64_t>(info.st_mtim.tv_nsec);
  return identity;
}

RenderCache RenderCache::Load(const std::string& path) {
  std::optional<std::string> text = ReadAll(path);
  return text ? Parse(*text) : RenderCache();
}

// One line per page: digest, device, inode, size, modification time
// (seconds, nanoseconds), then the name's length, ":" and the name.
std::string RenderCache::Text() const {
  std::string out(kHeader);
  for (const auto& [name, entry] : entries_) {
    out += entry.inputs.Hex();
    for (uint64_t value :
         {entry.page.device, entry.page.inode, entry.page.size}) {
      out += ' ';
      AppendUnsignedNumber(out, value);
    }
    for (int64_t value :
         {entry.page.modifiedSeconds, entry.page.modifiedNanoseconds}) {
      out += ' ';
      AppendWideNumber(out, value);
    }
    out += ' ';
    AppendUnsignedNumber(out, name.size());
    out += ':';
    out += name;
    out += '\n';
  }
  return out;
}

RenderCache RenderCache::Parse(std::string_view text) {
  RenderCache cache;
  if (text.substr(0, kHeader.size()) != kHeader) {
    return cache;
  }
  text.remove_prefix(kHeader.size());
  while (!text.empty()) {
    Entry entry;
    std::optional<Digest> digest = Digest::FromHex(text.substr(0, 32));
    size_t length = 0;
    if (!digest || text.size() < 33 || text[32] != ' ') {
      return RenderCache();
    }
    text.remove_prefix(33);
    entry.inputs = *digest;
    std::from_chars_result result{};
    bool ok = ReadNumber(text, entry.page.device) &&
              ReadNumber(text, entry.page.inode) &&
              ReadNumber(text, entry.page.size) &&
              ReadNumber(text, entry.page.modifiedSeconds) &&
              ReadNumber(text, entry.page.modifiedNanoseconds);
    if (ok) {
      result = std::from_chars(text.data(), text.data() + text.size(), length);
      ok = result.ec == std::errc() && result.ptr != text.data() &&
           result.ptr < text.data() + text.size() && *result.ptr == ':';
    }
    if (ok) {
      text.remove_prefix(static_cast<size_t>(result.ptr - text.data()) + 1);
      ok = length < text.size() && text[length] == '\n';
    }
    if (!ok) {
      return RenderCache();  // damaged: render everything
    }
    cache.entries_[std::string(text.substr(0, length))] = entry;
    text.remove_prefix(length + 1);
  }
  return cache;
}

const RenderCache::Entry* RenderCache::Find(const std::string& name) const {
  auto it = entries_.find(name);
  return it == entries_.end() ? nullptr : &it->second;
}

void RenderCache::Set(const std::string& name, const Entry& entry) {
  entries_[name] = entry;
}

}  // namespace kilnbook
