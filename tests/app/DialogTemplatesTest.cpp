// The dialogs' layout as every front end draws it: the controls in their tab order, each inside
// its dialog, none on top of another, and every text with room on a terminal's character grid
// (a cell is 4 x 8 dialog units).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/dialogs/DialogTemplates.h"

namespace velkor::test {
namespace {

using app::ControlKind;
using app::ControlTemplate;
using app::DialogTemplate;
using discovery::Edition;

std::vector<int> ids(const DialogTemplate& dialog) {
  std::vector<int> all;
  for (const ControlTemplate& control : dialog.controls) all.push_back(control.id);
  return all;
}

bool overlap(const ControlTemplate& a, const ControlTemplate& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
         b.y < a.y + a.height;
}

void expectLaidOut(const DialogTemplate& dialog) {
  for (size_t i = 0; i < dialog.controls.size(); ++i) {
    const ControlTemplate& control = dialog.controls[i];
    EXPECT_GE(control.x, 4) << control.id;  // a terminal's frame takes the outer cells
    EXPECT_LE(control.x + control.width, dialog.width - 4) << control.id;
    EXPECT_GE(control.y, 4) << control.id;
    EXPECT_LE(control.y + control.height, dialog.height - 4) << control.id;
    // A button's text and its two brackets, a label's text, fit its width in cells.
    const int cells = control.width / 4;
    const int needed = static_cast<int>(std::strlen(control.text)) +
                       (control.kind == ControlKind::Button ? 2 : 0);
    EXPECT_LE(needed, cells) << dialog.title << ": " << control.text;
    for (size_t j = i + 1; j < dialog.controls.size(); ++j)
      EXPECT_FALSE(overlap(control, dialog.controls[j]))
          << dialog.title << ": " << control.id << " and " << dialog.controls[j].id;
  }
}

TEST(DialogTemplates, TheFullProgramsDialogs) {
  const app::EditionDialogs& full = app::editionDialogs(Edition::Full);
  EXPECT_EQ(full.main.id, 102);
  EXPECT_EQ((std::vector<int>{full.main.width, full.main.height}), (std::vector<int>{320, 200}));
  EXPECT_STREQ(full.main.title, "Velkor");
  EXPECT_EQ(ids(full.main),
            (std::vector<int>{1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011,
                              1012, 1013, 1019, 1020, 1021, 1023, 1024, 1026, 1014, 1027, 1028,
                              1029, 1030, 1015, 1016}));
  EXPECT_STREQ(full.main.control(1016)->text, "Velkor 2.3");
  EXPECT_STREQ(full.main.control(1027)->text, "Firmware update file ");
  EXPECT_EQ(full.main.control(1001)->style & ES_UPPERCASE, ES_UPPERCASE);
  EXPECT_STREQ(full.about.title, "About Velkor");
  EXPECT_STREQ(full.aboutItem, "&About Velkor...");
  expectLaidOut(full.main);
  expectLaidOut(full.about);
}

TEST(DialogTemplates, TheUpdateOnlyProgramsDialogs) {
  const app::EditionDialogs& flash = app::editionDialogs(Edition::UpdateOnly);
  EXPECT_EQ((std::vector<int>{flash.main.width, flash.main.height}), (std::vector<int>{325, 144}));
  EXPECT_STREQ(flash.main.title, "Velkorflash ");
  EXPECT_EQ(ids(flash.main), (std::vector<int>{1000, 1003, 1004, 1006, 1008, 1010, 1026, 1014,
                                               1027, 1007, 1009, 1011, 1005, 1016}));
  EXPECT_STREQ(flash.main.control(1016)->text, "Velkorflash V2.4");
  EXPECT_STREQ(flash.main.control(1027)->text, "Select firmware update file ");
  EXPECT_STREQ(flash.about.controls[1].text, "Velkorflash  Version 2.4");
  EXPECT_STREQ(flash.aboutItem, "&About Velkorflash..");
  EXPECT_EQ(flash.main.control(1001), nullptr);
  expectLaidOut(flash.main);
  expectLaidOut(flash.about);
}

}  // namespace
}  // namespace velkor::test
