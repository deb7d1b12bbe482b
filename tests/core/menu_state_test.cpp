// The enabling rules of the menus, each moment the window refreshes its items, as tables: the
// board's pictures, the tab shown and the clipboard in, the items set and their states out.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/menu_state.h"

using namespace vexilo::core;

namespace {

// A picture of the slot's control size and that format; ordinal -1 stands for a pasted
// picture of a format the board has none for (a picture recorded with depth -1).
struct Picture {
  SlotId slot;
  int ordinal;
};

IconSet boardWith(const std::vector<Picture>& pictures) {
  IconSet board;
  for (const auto& [id, ordinal] : pictures) {
    const SlotSize size = controlSize(id);
    const auto format = static_cast<PixelFormat>(ordinal < 0 ? 7 : ordinal);
    board.slot(id).picture = Bitmap(size.width, size.height, format);
    board.slot(id).depth = ordinal;
  }
  return board;
}

// "S+ Eff-": the items set, each enabled (+) or disabled (-).
std::map<std::string, bool> parse(const std::string& expected) {
  std::map<std::string, bool> items;
  std::istringstream words(expected);
  for (std::string w; words >> w;) items[w.substr(0, w.size() - 1)] = w.back() == '+';
  return items;
}

std::map<std::string, bool> asMap(const ItemStates& states) {
  std::map<std::string, bool> items;
  for (const ItemState& s : states) EXPECT_TRUE(items.emplace(s.item, s.enabled).second) << s.item;
  return items;
}

constexpr auto B = MainTab::Board, P = MainTab::Pasteboard, L = MainTab::Palettes, G = MainTab::Large;

struct Case {
  std::vector<Picture> pictures;
  MainTab tab;
  bool clipboard;
  SlotId slot;  // the pop-up's slot, or the visible pasteboard for the menus
  std::string expected;
};

void check(const std::vector<Case>& cases, ItemStates (*rule)(const MenuInput&, SlotId)) {
  for (const Case& c : cases) {
    const IconSet board = boardWith(c.pictures);
    SCOPED_TRACE(std::string(slotName(c.slot)) + " -> " + c.expected);
    EXPECT_EQ(asMap(rule({board, c.tab, c.slot, c.clipboard}, c.slot)), parse(c.expected));
  }
}

}  // namespace

TEST(MenuState, FileAndEditMenus) {
  const auto file = [](const MenuInput& in, SlotId) { return fileMenuStates(in); };
  const auto edit = [](const MenuInput& in, SlotId) { return editMenuStates(in); };
  std::vector<Case> saving = {{{}, B, true, SlotId::PB16, "S-"},
                              {{{SlotId::PB16, 7}, {SlotId::ipal256, 3}}, B, false, SlotId::PB16, "S-"},
                              {{{SlotId::ic16, 3}}, P, false, SlotId::PB16, "S+"},  // any tab
                              {{{SlotId::im12, -1}}, L, false, SlotId::PB16, "S+"},
                              {{{SlotId::ic512, 7}}, G, false, SlotId::PB16, "S+"}};
  for (SlotId id : kBoardSlots) saving.push_back({{{id, 1}}, B, false, SlotId::PB16, "S+"});
  check(saving, file);
  check({{{}, B, false, SlotId::PB16, "X+ C+ CMs- Eff- V- CAS-"},
         {{}, B, true, SlotId::PB16, "X+ C+ CMs- Eff- V+ CAS-"},
         {{{SlotId::im128, 1}}, B, false, SlotId::PB16, "X+ C+ CMs+ Eff+ V- CAS-"},
         {{{SlotId::PB32, 7}}, P, true, SlotId::PB32, "CMs- X- V- Eff+ CAS-"},
         {{{SlotId::PB16, 7}, {SlotId::ic32, 7}}, P, true, SlotId::PB32, "CMs- X- V- Eff- CAS+"},
         {{{SlotId::ic32, 7}, {SlotId::ipal16, 7}}, L, true, SlotId::PB16, "CMs- Eff- X- V- CAS+"},
         {{{SlotId::ic32, 7}}, G, true, SlotId::PB16, "X+ C+ CMs- Eff- V+ CAS+"},
         {{{SlotId::ic1024, 7}}, G, false, SlotId::PB16, "X+ C+ CMs- Eff+ V- CAS+"}},
        edit);
}

TEST(MenuState, PopupMenu) {
  // The pop-up sets these twelve items; a row lists those it enables.
  const std::string all = "X PX C PC V PV IS Rot CCol Prof CM PreMult";
  std::vector<Case> cases = {
      {{}, B, false, SlotId::ic32, "X PX"},
      {{{SlotId::ic32, 7}}, B, true, SlotId::ic32, all},
      {{{SlotId::ic48, 6}}, B, true, SlotId::ic48, "X PX C PC V PV IS Rot CCol Prof CM"},
      {{{SlotId::ic12, 1}}, B, false, SlotId::ic12, "X PX C PC IS Rot CCol Prof CM"},
      {{{SlotId::ic16, 7}}, B, false, SlotId::im16, "X PX CM"},  // a mask, even empty
      {{}, B, false, SlotId::im48, "X PX CM"},
      {{}, B, false, SlotId::im32, "X PX CM"},
      {{}, B, false, SlotId::im12, "X PX CM"},
      {{{SlotId::ic128, 7}}, B, false, SlotId::ic128, "X PX C PC IS Rot CCol Prof PreMult"},
      {{{SlotId::im128, 1}}, B, false, SlotId::im128, "X PX C PC IS Rot CCol Prof"},
      {{{SlotId::icNB, 1}}, B, true, SlotId::icNB, "X PX C PC V PV IS Rot CCol Prof"},
      {{{SlotId::imNB, 1}}, B, false, SlotId::imNB, "X PX C PC IS Rot CCol Prof"},
      {{{SlotId::ic32, -1}}, B, false, SlotId::ic32, "X PX C PC IS Rot CCol Prof CM"},
      {{{SlotId::PB16, 7}}, P, true, SlotId::PB16, "C PC IS Rot CCol Prof PreMult"},
      {{{SlotId::ic16, 7}}, L, true, SlotId::ic16, "C PC IS Rot CCol Prof CM PreMult"},
      {{{SlotId::ic256, 7}}, G, true, SlotId::ic256, "X PX C PC V PV IS Rot CCol Prof PreMult"},
  };
  for (Case& c : cases) {
    const std::string enabled = " " + c.expected + " ";
    std::istringstream items(all);
    c.expected.clear();
    for (std::string item; items >> item;)
      c.expected += item + (enabled.find(" " + item + " ") == std::string::npos ? "- " : "+ ");
  }
  check(cases, popupStates);
}

TEST(MenuState, CustomIconAndTabChanges) {
  const std::vector<Picture> both = {{SlotId::ic32, 1}, {SlotId::ic48, 2}};
  check({{both, B, false, SlotId::ic32, "iFat+ Ress+ Ico+"},
         {both, B, false, SlotId::ic48, "iFat+ Ress+ Ico+"},
         {both, B, false, SlotId::ic16, "iFat- Ress+ Ico+"},
         {both, B, false, SlotId::im32, "iFat- Ress+ Ico+"},
         {{{SlotId::ic32, 7}, {SlotId::im48, 1}}, B, false, SlotId::ic32, "iFat- Ress+ Ico+"},
         {{{SlotId::ic48, 7}, {SlotId::ic128, 7}}, B, false, SlotId::ic48, "iFat- Ress+ Ico+"},
         // The large slots: no resource form, and only 256 pixels make a Windows icon.
         {both, G, false, SlotId::ic256, "iFat- Ress- Ico+"},
         {both, G, false, SlotId::ic512, "iFat- Ress- Ico-"}},
        saveImageMenuStates);
  EXPECT_EQ(asMap(tabChangeStates(B)), parse("S+ Eff+"));
  EXPECT_EQ(asMap(tabChangeStates(P)), parse("S- Eff+"));
  EXPECT_EQ(asMap(tabChangeStates(L)), parse("S- Eff-"));
}
