// The string table and message formatting.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/string_table.h"

using namespace vexilo::core;

TEST(StringTable, EveryTextExistsInBothLanguagesWithTheSameArgument) {
  const std::vector<int> ids = stringIds();
  EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end(), std::greater_equal<>()) == ids.end())
      << "lookups rely on strictly ascending identifiers";
  auto placeholders = [](std::string_view t) { return formatMessage(t, "\x01").find('\x01') != std::string::npos; };
  for (int id : ids) {
    const std::string english = loadLocalString(id, kEnglish), french = loadLocalString(id, kFrench);
    const auto codePoints = std::count_if(french.begin(), french.end(), [](char c) { return (c & 0xC0) != 0x80; });
    EXPECT_TRUE(!english.empty() && !french.empty() && std::max<std::ptrdiff_t>(codePoints, english.size()) <= 255) << id;
    EXPECT_EQ(placeholders(english), placeholders(french)) << id;
    EXPECT_TRUE(id < 6600 || id >= 6700 || english.front() == '.') << id << ": a status-bar hint";
  }
  EXPECT_EQ(loadLocalString(1051, kFrench), "Le fichier\n%s\nexiste déjà sur le support.\nVoulez-vous l'écraser ?");
  for (int id : {6408, 16408, -3, 75000}) EXPECT_TRUE(lookupString(id).empty()) << id;
  const std::pair<std::string, std::string> formatted[] = {
      {formatMessage(lookupString(6422), "/tmp/a%sb%d.ico"), "File\n/tmp/a%sb%d.ico\nis not a supported graphic format."},
      {formatMessage(lookupString(16101), 42), "42 différentes couleurs dans l'image."},
      {formatMessage(lookupString(6406), "vers"), "Unknown vers resource."},
      {formatMessage("100% sure", "x"), "100% sure"}, {formatMessage("ends with %", "x"), "ends with %"},
      // A message shows the table's "&&" as one "&", and the argument as it is.
      {messageText(6100, kFrench), "Pas d'icône 32*32 en N&B ou en couleurs. Abandon."},
      {messageText(1041, kEnglish, "/a&&b&"), "File\n/a&&b&\ncould not be opened or created."}};
  for (const auto& [ours, expected] : formatted) EXPECT_EQ(ours, expected);
}
