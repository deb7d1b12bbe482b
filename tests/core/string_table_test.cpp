// The string table and message formatting.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/string_table.h"

using namespace vexilo::core;

TEST(StringTable, EveryTextExistsInBothLanguagesWithTheSameArgument) {
  const std::vector<int> ids = stringIds();
  EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end(), std::greater_equal<>()) == ids.end())
      << "lookups rely on strictly ascending identifiers";
  auto placeholders = [](std::string_view t) {
    int n = 0;
    for (std::size_t i = 0; i + 1 < t.size(); ++i) n += t[i] == '%' && (t[i + 1] == 's' || t[i + 1] == 'd');
    return n;
  };
  for (int id : ids) {
    const std::string english = loadLocalString(id, kEnglish), french = loadLocalString(id, kFrench);
    EXPECT_FALSE(english.empty() || french.empty()) << id;
    const auto codePoints =
        std::count_if(french.begin(), french.end(), [](char c) { return (c & 0xC0) != 0x80; });
    EXPECT_LE(std::max<std::ptrdiff_t>(codePoints, english.size()), 255) << id;
    EXPECT_EQ(placeholders(english), placeholders(french)) << id;
    EXPECT_TRUE(id < 6600 || id >= 6700 || english.front() == '.') << id << ": a status-bar hint";
  }
  for (int id : {1041, 1051, 1060, 6100, 6101, 6400, 6406, 6410, 6446, 6500, 6571, 6646})
    EXPECT_TRUE(std::binary_search(ids.begin(), ids.end(), id)) << id;
}

TEST(StringTable, FrenchLivesTenThousandHigherAndFormattingFillsOneArgument) {
  EXPECT_EQ(loadLocalString(1051, kEnglish),
            "File\n%s\nexists already on the medium.\nDo you want to overwrite it?");
  EXPECT_EQ(loadLocalString(1051, kFrench),
            "Le fichier\n%s\nexiste déjà sur le support.\nVoulez-vous l'écraser ?");
  EXPECT_EQ(lookupString(16631), ".Changement de langue d'affichage (Anglais/Français)");
  EXPECT_EQ(lookupString(6100), "No contents for the 32*32 icon (neither color or B&&W). Aborting.");
  for (int id : {6407, 16407, -3, 75000}) EXPECT_TRUE(lookupString(id).empty()) << id;
  EXPECT_EQ(formatMessage(lookupString(6422), "/tmp/a%sb%d.ico"),
            "File\n/tmp/a%sb%d.ico\nis not a supported graphic format.");
  EXPECT_EQ(formatMessage(lookupString(16101), 42), "42 différentes couleurs dans l'image.");
  EXPECT_EQ(formatMessage(lookupString(6406), "vers"), "Unknown vers resource.");
  EXPECT_EQ(formatMessage("100% sure", "x"), "100% sure");
  EXPECT_EQ(formatMessage("ends with %", "x"), "ends with %");
}
