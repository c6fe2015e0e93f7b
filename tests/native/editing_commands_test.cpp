#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/editing_commands.h"
#include "library/wallpaper_library.h"
#include "tests/native/library_fixture.h"

namespace vistelle {
namespace {

using testing::LibraryFixture;

// What the user was told, in order, as "caption|text|owner"; questions are
// answered with `answer`.
class ScriptedMessages final : public UserMessages {
 public:
  void Warning(const std::string& text, MessageOwner owner) override { Record(kWarningCaption, text, owner); }
  Confirmation Confirm(const std::string& text, MessageOwner owner) override {
    Record(std::string("?") + kConfirmCaption, text, owner);
    return answer;
  }
  void Error(const std::string& text, const std::string& caption, MessageOwner owner) override {
    Record("!" + caption, text, owner);
  }

  Confirmation answer = Confirmation::kYes;
  std::vector<std::string> said;

 private:
  void Record(const std::string& caption, const std::string& text, MessageOwner owner) {
    said.push_back(caption + "|" + text + (owner == MessageOwner::kMainWindow ? "|main" : "|none"));
  }
};

class FakeChooser final : public PictureChooser {
 public:
  ChosenFiles Choose() override {
    ++calls;
    return result;
  }
  ChosenFiles result;
  int calls = 0;
};

ChosenFiles Chosen(const std::string& buffer) {
  ChosenFiles chosen;
  chosen.outcome = ChosenFiles::Outcome::kChosen;
  chosen.files = buffer;
  return chosen;
}

// Three categories; "Two" (current) holds A, B and C.
class Editing : public ::testing::Test {
 protected:
  void SetUp() override {
    f.WriteLibrary("One\r\nC:\\x\\one.jpg\r\n\r\nTwo\r\nC:\\P\\A.jpg\r\nC:\\P\\B.jpg\r\nC:\\P\\C.jpg\r\n\r\nThree");
    f.WriteSelection(1, 0);
    library->Load();
    ASSERT_EQ(library->currentCategory, 1);
  }

  std::vector<std::string> Model() const { return library->CategoryAt(1).pictures; }
  std::vector<std::string> Shown() const {
    return static_cast<const MemoryListView&>(library->PictureList()).Items();
  }
  std::vector<std::string> CategoriesShown() const {
    return static_cast<const MemoryListView&>(library->CategoryList()).Items();
  }
  std::int32_t Selected() const { return library->PictureList().Selection(); }
  void Select(std::int32_t position) {
    library->PictureList().Select(position);
    library->selectedPicture = position;
  }

  LibraryFixture f;
  std::unique_ptr<WallpaperLibrary> library = f.MakeLibrary();
  ScriptedMessages messages;
  EditingCommands commands{*library, messages};
};

const std::string kA = "C:\\P\\A.jpg", kB = "C:\\P\\B.jpg", kC = "C:\\P\\C.jpg";

// --- Moving and deleting pictures ------------------------------------------

TEST_F(Editing, MovingUpTheFirstPictureSendsItToTheEndAndDownTheLastToTheFront) {
  library->currentWallpaper = 2;
  Select(0);
  commands.MovePictureUp();
  EXPECT_EQ(Model(), (std::vector<std::string>{kB, kC, kA}));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"B.jpg", "C.jpg", "A.jpg"}));
  EXPECT_EQ(Selected(), 2);
  EXPECT_EQ(library->selectedPicture, 2);

  // From A, B, C with C selected: C, A, B with C first.
  commands.MovePictureDown();  // A (last) back to the front
  EXPECT_EQ(Model(), (std::vector<std::string>{kA, kB, kC}));
  Select(2);
  commands.MovePictureDown();
  EXPECT_EQ(Model(), (std::vector<std::string>{kC, kA, kB}));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"C.jpg", "A.jpg", "B.jpg"}));
  EXPECT_EQ(Selected(), 0);
  EXPECT_EQ(library->selectedPicture, 0);

  EXPECT_EQ(library->currentWallpaper, 2);
  EXPECT_EQ(library->currentCategory, 1);
  EXPECT_TRUE(messages.said.empty());
}

TEST_F(Editing, MovingAMiddlePictureExchangesItWithItsNeighbourAndKeepsItSelected) {
  Select(1);
  commands.MovePictureUp();
  EXPECT_EQ(Model(), (std::vector<std::string>{kB, kA, kC}));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"B.jpg", "A.jpg", "C.jpg"}));
  EXPECT_EQ(Selected(), 0);
  EXPECT_EQ(library->selectedPicture, 0);

  commands.MovePictureDown();  // B back
  Select(1);
  commands.MovePictureDown();
  EXPECT_EQ(Model(), (std::vector<std::string>{kA, kC, kB}));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"A.jpg", "C.jpg", "B.jpg"}));
  EXPECT_EQ(Selected(), 2);
  EXPECT_EQ(library->selectedPicture, 2);
}

TEST_F(Editing, ASinglePictureStaysWhereItIsAndSelected) {
  library->CategoryList().Select(0);
  library->SelectCategory();
  for (auto move : {&EditingCommands::MovePictureUp, &EditingCommands::MovePictureDown}) {
    (commands.*move)();
    EXPECT_EQ(library->CategoryAt(0).pictures, std::vector<std::string>{"C:\\x\\one.jpg"});
    EXPECT_EQ(Shown(), std::vector<std::string>{"one.jpg"});
    EXPECT_EQ(Selected(), 0);
  }
}

TEST_F(Editing, DeletingSelectsThePictureThatFollowedAndAfterTheLastNothing) {
  library->currentWallpaper = 2;
  Select(1);
  commands.DeletePicture();
  EXPECT_EQ(Model(), (std::vector<std::string>{kA, kC}));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"A.jpg", "C.jpg"}));
  EXPECT_EQ(Selected(), 1);
  commands.DeletePicture();
  EXPECT_EQ(Model(), std::vector<std::string>{kA});
  EXPECT_EQ(Shown(), std::vector<std::string>{"A.jpg"});
  EXPECT_EQ(Selected(), -1);
  // Neither position is touched.
  EXPECT_EQ(library->selectedPicture, 1);
  EXPECT_EQ(library->currentWallpaper, 2);
  EXPECT_TRUE(messages.said.empty());
}

TEST_F(Editing, WithoutASelectedPictureEachCommandSaysSoInItsOwnWordsAndChangesNothing) {
  library->ClearPictureList();  // BUTTON_CLEAR: the list only
  commands.DeletePicture();
  commands.MovePictureUp();
  commands.MovePictureDown();
  EXPECT_EQ(messages.said, (std::vector<std::string>{"Communicat|Please select a file.|none",
                                                     "Communicat|Please, select a file.|none",
                                                     "Communicat|Please select a file.|none"}));
  EXPECT_EQ(Model(), (std::vector<std::string>{kA, kB, kC}));
  EXPECT_TRUE(Shown().empty());
}

// --- Categories ------------------------------------------------------------

TEST_F(Editing, ClearingACategoryNeedsASelectionAndAYes) {
  library->CategoryList().Select(-1);
  commands.ClearCategory();
  library->CategoryList().Select(1);

  messages.answer = Confirmation::kNo;
  commands.ClearCategory();
  messages.answer = Confirmation::kFailed;
  commands.ClearCategory();
  EXPECT_EQ(Model(), (std::vector<std::string>{kA, kB, kC}));
  EXPECT_EQ(Shown().size(), 3u);

  messages.answer = Confirmation::kYes;
  commands.ClearCategory();
  EXPECT_EQ(messages.said, (std::vector<std::string>{"Communicat|Please select category|none",
                                                     "?Vistelle|Are you sure?|none",
                                                     "?Vistelle|Are you sure?|none", "!Error|Error.|none",
                                                     "?Vistelle|Are you sure?|none"}));
  EXPECT_TRUE(Model().empty());
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(CategoriesShown(), (std::vector<std::string>{"One", "Two", "Three"}));
  EXPECT_EQ(library->currentCategory, 1);
}

TEST_F(Editing, DeletingTheSecondOfThreeCategoriesLeavesTheOthersAndNoneCurrent) {
  messages.answer = Confirmation::kNo;
  commands.DeleteCategory();
  messages.answer = Confirmation::kFailed;
  commands.DeleteCategory();
  EXPECT_EQ(library->CategoryCount(), 3);

  library->currentWallpaper = 2;
  Select(2);
  messages.answer = Confirmation::kYes;
  commands.DeleteCategory();
  EXPECT_EQ(messages.said, (std::vector<std::string>{"?Vistelle|Are you sure?|main",
                                                     "?Vistelle|Are you sure?|main",
                                                     "!B\xC5\x82\xC4\x85" "d|Error|main",
                                                     "?Vistelle|Are you sure?|main"}));
  ASSERT_EQ(library->CategoryCount(), 2);
  EXPECT_EQ(library->CategoryAt(0).name, "One");
  EXPECT_EQ(library->CategoryAt(1).name, "Three");
  EXPECT_EQ(CategoriesShown(), (std::vector<std::string>{"One", "Three"}));
  EXPECT_EQ(library->CategoryList().Selection(), -1);
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(library->currentCategory, -1);
  EXPECT_EQ(library->selectedPicture, 0);
  EXPECT_EQ(library->currentWallpaper, 0);

  // Nothing is current now: a second delete only warns.
  commands.DeleteCategory();
  EXPECT_EQ(messages.said.back(), "Communicat|Please select a category|main");
  ASSERT_TRUE(library->Save());
  EXPECT_EQ(f.ReadKey("category"), -1);
  EXPECT_EQ(f.dir.Read("pictora.txt"), "One\r\nC:\\x\\one.jpg\r\n\r\nThree");
}

TEST_F(Editing, ANewCategoryIsTheListsLastItemAndDuplicatesAreAllowed) {
  commands.AddCategory();  // no dialog raised the flag
  EXPECT_EQ(library->CategoryCount(), 3);

  for (int i = 0; i < 2; ++i) {
    library->CategoryList().Append("Holiday");  // what the dialog does
    commands.pendingCategory = true;
    commands.AddCategory();
    EXPECT_FALSE(commands.pendingCategory);
  }
  ASSERT_EQ(library->CategoryCount(), 5);
  EXPECT_EQ(library->CategoryAt(3).name, "Holiday");
  EXPECT_EQ(library->CategoryAt(4).name, "Holiday");
  EXPECT_TRUE(library->CategoryAt(4).pictures.empty());
  EXPECT_EQ(CategoriesShown().size(), 5u);
  EXPECT_EQ(library->currentCategory, 1);
  EXPECT_EQ(library->CategoryList().Selection(), 1);

  // A raised flag with no new item adds nothing and is lowered.
  commands.pendingCategory = true;
  commands.AddCategory();
  EXPECT_EQ(library->CategoryCount(), 5);
  EXPECT_FALSE(commands.pendingCategory);
}

// --- Adding pictures -------------------------------------------------------

TEST(ChosenFiles, OnePathOrAFolderWithNamesInTheDialogsOrder) {
  using V = std::vector<std::string>;
  const auto parse = [](const std::string& buffer) { return EditingCommands::ParseChosenFiles(buffer); };
  EXPECT_EQ(parse(std::string("C:\\Pics\\a.jpg\0\0", 15)), V{"C:\\Pics\\a.jpg"});
  EXPECT_EQ(parse(std::string("C:\\Pics\0c.jpg\0a.jpg\0b.jpg\0\0", 27)),
            (V{"C:\\Pics\\c.jpg", "C:\\Pics\\a.jpg", "C:\\Pics\\b.jpg"}));
  // A drive root keeps one backslash; a name chosen twice comes twice.
  EXPECT_EQ(parse(std::string("D:\\\0a.jpg\0a.jpg\0\0", 17)), (V{"D:\\a.jpg", "D:\\a.jpg"}));
  EXPECT_EQ(parse(std::string("D:\\a.jpg")), V{"D:\\a.jpg"});  // no final NULs
  EXPECT_TRUE(parse(std::string("\0\0", 2)).empty());
  EXPECT_TRUE(parse("").empty());
  // Text in the legacy code page is taken as such.
  EXPECT_EQ(parse(std::string("C:\\caf\xE9.jpg\0\0", 14)), V{"C:\\caf\xC3\xA9.jpg"});
}

TEST(ChosenFiles, APathLongerThanAPicturePathIsLeftOutNeverCut) {
  const std::string folder = "C:\\" + std::string(245, 'f');  // 248 characters
  const std::string fits = std::string(10, 'n');              // 248 + 1 + 10 = 259
  const std::string too_long = std::string(11, 'n');          // 260
  const std::string buffer = folder + '\0' + fits + '\0' + too_long + '\0' + fits + '\0' + '\0';
  const auto paths = EditingCommands::ParseChosenFiles(buffer);
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths[0], folder + "\\" + fits);
  EXPECT_EQ(paths[1], paths[0]);
  // Lengths count as Windows does: "ż" is two bytes but one character.
  std::string polish;
  for (int i = 0; i < 256; ++i) polish += "\xC5\xBC";
  EXPECT_EQ(EditingCommands::ParseChosenFiles("C:\\" + polish + '\0').size(), 1u);
  EXPECT_TRUE(EditingCommands::ParseChosenFiles("C:\\" + polish + "x" + '\0').empty());
}

TEST_F(Editing, ChosenFilesGoToTheEndOfTheCurrentCategoryAndTheListIsRefilled) {
  Select(1);
  FakeChooser chooser;
  chooser.result = Chosen(std::string("C:\\Pics\0a.jpg\0b.jpg\0c.jpg\0\0", 27));
  commands.AddPictures(chooser);
  chooser.result = Chosen(std::string("C:\\P\\A.jpg\0\0", 12));
  commands.AddPictures(chooser);
  EXPECT_EQ(Model(), (std::vector<std::string>{kA, kB, kC, "C:\\Pics\\a.jpg", "C:\\Pics\\b.jpg", "C:\\Pics\\c.jpg",
                                               kA}));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"A.jpg", "B.jpg", "C.jpg", "a.jpg", "b.jpg", "c.jpg", "A.jpg"}));
  EXPECT_EQ(Selected(), 1);
  EXPECT_TRUE(messages.said.empty());

  // Cancelled: nothing added, but a list emptied by BUTTON_CLEAR is back.
  library->ClearPictureList();
  chooser.result = ChosenFiles();
  commands.AddPictures(chooser);
  EXPECT_EQ(Model().size(), 7u);
  EXPECT_EQ(Shown().size(), 7u);
  EXPECT_EQ(Selected(), 1);
  EXPECT_TRUE(messages.said.empty());
  EXPECT_EQ(chooser.calls, 3);
}

TEST_F(Editing, TooManyFilesAndNoCategoryAreToldOverTheMainWindow) {
  FakeChooser chooser;
  chooser.result.outcome = ChosenFiles::Outcome::kBufferTooSmall;
  commands.AddPictures(chooser);
  EXPECT_EQ(Model().size(), 3u);

  library->CategoryList().Select(-1);
  commands.AddPictures(chooser);
  EXPECT_EQ(chooser.calls, 1);
  EXPECT_EQ(messages.said,
            (std::vector<std::string>{"!B\xC5\x82\xC4\x85" "d|Zbyt du\xC5\xBC" "o zaznaczonych plik\xC3\xB3w.|main",
                                      "Communicat|Please select a category.|main"}));
}

}  // namespace
}  // namespace vistelle
