// The string table and message formatting.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/string_table.h"

using namespace vexilo::core;

namespace {

std::size_t countCodePoints(std::string_view utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::size_t countPlaceholders(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '%' && (text[i + 1] == 's' || text[i + 1] == 'd')) ++n;
  return n;
}

}  // namespace

TEST(StringTable, EveryTextExistsInBothLanguagesWithinTheBufferSize) {
  const std::vector<int> ids = stringIds();
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end())) << "lookups rely on ascending order";
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "duplicate identifier";
  for (int id : ids) {
    for (int lang : {kEnglish, kFrench}) {
      const std::string text = loadLocalString(id, lang);
      EXPECT_FALSE(text.empty()) << id + lang;
      EXPECT_LE(countCodePoints(text), 255u) << id + lang;
    }
    // A message's French twin takes the same argument.
    EXPECT_EQ(countPlaceholders(loadLocalString(id, kEnglish)),
              countPlaceholders(loadLocalString(id, kFrench)))
        << id;
  }
}

TEST(StringTable, HoldsEveryTextTheProgramAsksFor) {
  const int required[] = {
      1041, 1043, 1044, 1047, 1048, 1049, 1051, 1052, 1053, 1054, 1055, 1056, 1057, 1059, 1060,
      6100, 6101, 6400, 6401, 6402, 6403, 6404, 6405, 6406, 6410, 6418, 6419, 6420, 6421, 6422,
      6423, 6424, 6425, 6426, 6427, 6428, 6429, 6430, 6431, 6432, 6433, 6434, 6435, 6436, 6437,
      6438, 6439, 6440, 6441, 6442, 6443, 6444, 6445, 6446, 6500, 6501, 6502, 6503, 6504, 6505,
      6506, 6510, 6511, 6512, 6513, 6514, 6520, 6521, 6522, 6523, 6524, 6525, 6526, 6530, 6531,
      6540, 6541, 6543, 6544, 6545, 6546, 6550, 6551, 6552, 6553, 6554, 6555, 6556, 6557, 6558,
      6559, 6560, 6561, 6562, 6563, 6564, 6565, 6566, 6567, 6568, 6569, 6570, 6571, 6600, 6601,
      6602, 6603, 6604, 6605, 6606, 6620, 6621, 6622, 6623, 6624, 6625, 6626, 6630, 6631, 6640,
      6641, 6643, 6644, 6645, 6646};
  for (int id : required) EXPECT_FALSE(lookupString(id).empty()) << id;
  // Every menu hint goes to the status bar, which takes hints that begin with a dot.
  for (int id : stringIds()) {
    if (id >= 6600 && id < 6700) {
      EXPECT_EQ(lookupString(id).front(), '.') << id;
    }
  }
}

TEST(StringTable, FrenchLivesTenThousandHigherAndUnknownIdsAreEmpty) {
  EXPECT_EQ(loadLocalString(1051, kEnglish),
            "File\n%s\nexists already on the medium.\nDo you want to overwrite it?");
  EXPECT_EQ(loadLocalString(1051, kFrench),
            "Le fichier\n%s\nexiste déjà sur le support.\nVoulez-vous l'écraser ?");
  EXPECT_EQ(lookupString(16631), ".Changement de langue d'affichage (Anglais/Français)");
  EXPECT_EQ(lookupString(11052), "Français");
  EXPECT_EQ(lookupString(6100), "No contents for the 32*32 icon (neither color or B&&W). Aborting.");
  EXPECT_TRUE(lookupString(6407).empty());
  EXPECT_TRUE(lookupString(16407).empty());
  EXPECT_TRUE(lookupString(-3).empty());
  EXPECT_TRUE(loadLocalString(65000, kFrench).empty());
}

TEST(StringTable, FormattingFillsOnlyTheFirstPlaceholder) {
  EXPECT_EQ(formatMessage(lookupString(6422), "/tmp/a%sb%d.ico"),
            "File\n/tmp/a%sb%d.ico\nis not a supported graphic format.");
  EXPECT_EQ(formatMessage(lookupString(16101), 42), "42 différentes couleurs dans l'image.");
  EXPECT_EQ(formatMessage(lookupString(6406), "vers"), "Unknown vers resource.");
  EXPECT_EQ(formatMessage("100% sure", "x"), "100% sure");
  EXPECT_EQ(formatMessage("ends with %", "x"), "ends with %");
}
