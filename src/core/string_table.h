// The program's texts in English and French. Identifier N holds the English text and
// N + 10000 the French one; the language in use is the offset added to every lookup.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexilo::core {

inline constexpr int kEnglish = 0;
inline constexpr int kFrench = 10000;

// The text of identifier + langOffset; empty when the table has none.
std::string loadLocalString(int id, int langOffset);
// The text stored under one full identifier (French ones are 10000 higher); empty when none.
std::string_view lookupString(int fullId);
// Every English identifier of the table, in ascending order.
std::vector<int> stringIds();

// The text with its first "%s" or "%d" replaced by the argument; nothing else changes, so a
// path holding "%" is shown as it is.
std::string formatMessage(std::string_view text, std::string_view argument);
std::string formatMessage(std::string_view text, long long number);
// Message `id` as a message box shows it: the table's "&&" as one "&", then formatMessage with
// the argument, which is kept as it is.
std::string messageText(int id, int langOffset, std::string_view argument = {});

}  // namespace vexilo::core
