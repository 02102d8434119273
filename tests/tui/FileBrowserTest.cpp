// The terminal dialog's file-open dialog: the type filters, folders, a typed path, a file that
// is not there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/tui/FileBrowser.h"

namespace velkor::test {
namespace {

namespace fs = std::filesystem;
using app::tui::FileBrowser;
using app::tui::Key;
using app::tui::KeyCode;

constexpr app::FileFilter kFilters[] = {{"Firmware update files *.cas", "*.cas"},
                                        {"All *.*", "*.*"}};

class FileBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("velkor-browser-" + std::to_string(::getpid()));
    fs::create_directories(folder_ / "older");
    std::ofstream(folder_ / "new.CAS") << "x";
    std::ofstream(folder_ / "readme.txt") << "x";
    std::ofstream(folder_ / "older" / "old.cas") << "x";
    previous_ = fs::current_path();
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(folder_);
  }
  std::string shown(const FileBrowser& browser) {
    app::tui::Screen screen(80, 25);
    browser.draw(screen);
    return screen.lines();
  }
  FileBrowser::Outcome type(FileBrowser& browser, const std::string& text) {
    for (char c : text) browser.press({KeyCode::Character, c});
    return browser.press({KeyCode::Enter});
  }

  fs::path folder_, previous_;
};

TEST_F(FileBrowserTest, ListsFoldersAndTheFilesOfTheChosenType) {
  FileBrowser browser(kFilters);
  EXPECT_NE(shown(browser).find("new.CAS"), std::string::npos) << "the type ignores case";
  EXPECT_EQ(shown(browser).find("readme.txt"), std::string::npos);
  EXPECT_NE(shown(browser).find("[older]"), std::string::npos);
  browser.press({KeyCode::Tab});
  EXPECT_NE(shown(browser).find("readme.txt"), std::string::npos) << shown(browser);
  EXPECT_NE(shown(browser).find("All *.*"), std::string::npos);
}

TEST_F(FileBrowserTest, EnterOpensAFolderAndChoosesAFileByItsFullPath) {
  FileBrowser browser(kFilters);
  browser.press({KeyCode::Down});  // [..] is first, then [older]
  EXPECT_EQ(browser.press({KeyCode::Enter}), FileBrowser::Outcome::Going);
  EXPECT_NE(shown(browser).find("old.cas"), std::string::npos) << shown(browser);
  browser.press({KeyCode::Down});
  ASSERT_EQ(browser.press({KeyCode::Enter}), FileBrowser::Outcome::Chosen);
  EXPECT_EQ(fs::path(browser.chosen()), fs::canonical(folder_ / "older" / "old.cas"));
}

TEST_F(FileBrowserTest, ATypedPathIsTakenWhenItExistsAndEscCancels) {
  FileBrowser browser(kFilters);
  EXPECT_EQ(type(browser, "missing.cas"), FileBrowser::Outcome::Going);
  EXPECT_NE(shown(browser).find("File not found: missing.cas"), std::string::npos);
  for (int i = 0; i < 11; ++i) browser.press({KeyCode::Backspace});
  ASSERT_EQ(type(browser, (folder_ / "readme.txt").string()), FileBrowser::Outcome::Chosen)
      << "a typed name needs not match the type";
  EXPECT_EQ(fs::path(browser.chosen()), folder_ / "readme.txt");
  FileBrowser again(kFilters);
  EXPECT_EQ(again.press({KeyCode::Escape}), FileBrowser::Outcome::Cancelled);
}

}  // namespace
}  // namespace velkor::test
