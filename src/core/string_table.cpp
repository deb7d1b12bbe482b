#include "core/string_table.h"

#include <algorithm>
#include <array>

namespace vexilo::core {

namespace {

struct Entry {
  int id;
  std::string_view english;
  std::string_view french;
};

constexpr Entry kTable[] = {
#include "strings.inc"
};

const Entry* find(int englishId) {
  const auto* it = std::lower_bound(std::begin(kTable), std::end(kTable), englishId,
                                    [](const Entry& e, int id) { return e.id < id; });
  return it != std::end(kTable) && it->id == englishId ? it : nullptr;
}

}  // namespace

std::string_view lookupString(int fullId) {
  const bool french = fullId >= kFrench;
  const Entry* e = find(french ? fullId - kFrench : fullId);
  if (!e) return {};
  return french ? e->french : e->english;
}

std::string loadLocalString(int id, int langOffset) {
  return std::string(lookupString(id + langOffset));
}

std::vector<int> stringIds() {
  std::vector<int> ids;
  for (const Entry& e : kTable) ids.push_back(e.id);
  return ids;
}

std::string formatMessage(std::string_view text, std::string_view argument) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '%' && (text[i + 1] == 's' || text[i + 1] == 'd')) {
      std::string out(text.substr(0, i));
      out += argument;
      out += text.substr(i + 2);
      return out;
    }
  }
  return std::string(text);
}

std::string formatMessage(std::string_view text, long long number) {
  return formatMessage(text, std::to_string(number));
}

std::string messageText(int id, int langOffset, std::string_view argument) {
  const std::string_view stored = lookupString(id + langOffset);
  std::string text;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    text += stored[i];
    if (stored[i] == '&' && i + 1 < stored.size() && stored[i + 1] == '&') ++i;
  }
  return formatMessage(text, argument);
}

}  // namespace vexilo::core
