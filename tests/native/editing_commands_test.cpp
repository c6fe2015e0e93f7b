// The editing commands on a session, with the user's answers from a script:
// what each does to the library, what the lists show afterwards and what
// the user is told, with and without a selection.
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/session.h"
#include "library/editing_commands.h"
#include "tests/native/library_fixture.h"
#include "tests/native/memory_folders.h"

namespace vistelle {
namespace {

using testing::LibraryFixture;

// Answers the commands' questions and records them; Meanwhile runs while a
// question is open, as the timer or a hotkey may.
class ScriptedChoices final : public UserChoices {
 public:
  Confirmation Confirm(const char* question) override {
    Asked(std::string("?") + question);
    return answer;
  }
  ChosenFiles ChoosePictures() override {
    Asked("files");
    return files;
  }
  std::optional<std::string> ChooseFolder() override {
    Asked("folder");
    return folder;
  }
  std::optional<std::string> NewCategoryName() override {
    Asked("name");
    return name;
  }

  Confirmation answer = Confirmation::kYes;
  ChosenFiles files;
  std::optional<std::string> folder;
  std::optional<std::string> name;
  std::function<void()> meanwhile;
  std::string asked;

 private:
  void Asked(const std::string& what) {
    asked += (asked.empty() ? "" : ",") + what;
    if (meanwhile) meanwhile();
  }
};

ChosenFiles Chosen(const std::string& buffer) {
  ChosenFiles chosen;
  chosen.outcome = ChosenFiles::Outcome::kChosen;
  chosen.files = buffer;
  return chosen;
}

// Pictures and list items as letters: "C:\P\A.jpg" and "A.jpg" are "A".
std::string Letters(const std::vector<std::string>& names) {
  std::string letters;
  for (const std::string& name : names) letters += name[name.rfind('\\') == std::string::npos ? 0 : name.rfind('\\') + 1];
  return letters;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : ",") + name;
  return joined;
}

// Three categories; "Two" (current) holds A, B and C; the picture list
// shows them with `selected` selected (-1: the list emptied by "clear",
// -2: no category current; 10: category "One" current, its one picture
// selected).
struct Case {
  const char* what;
  int selected;
  std::function<Outcome(Session&, ScriptedChoices&)> command;
  const char* two;         // category "Two" afterwards
  const char* shown;       // the picture list
  int shown_selected;      // its selection
  const char* categories;  // the category list
  const char* told;        // "" or the notice's caption|text
  const char* asked;       // the questions, in order
};

using E = EditingCommands;
template <typename... Args>
std::function<Outcome(Session&, ScriptedChoices&)> Plain(Outcome (E::*command)(Args...)) {
  return [command](Session& s, ScriptedChoices& c) {
    if constexpr (sizeof...(Args) == 0) {
      (void)c;
      return s.Edit(command);
    } else {
      return s.Edit(command, static_cast<UserChoices&>(c));
    }
  };
}
std::function<Outcome(Session&, ScriptedChoices&)> Answered(Outcome (E::*command)(UserChoices&),
                                                            std::function<void(ScriptedChoices&)> script) {
  return [command, script](Session& s, ScriptedChoices& c) {
    script(c);
    return s.Edit(command, static_cast<UserChoices&>(c));
  };
}

const char* const kCategories = "One,Two,Three";
const char* const kWarn = "Communicat|";

TEST(EditingCommandsOnTheSession, EachCommandWithAndWithoutASelection) {
  const std::vector<std::string> tree = {"C:\\F\\d.jpg", "C:\\F\\e.png", "C:\\F\\notes.txt", "C:\\P\\A.jpg"};
  testing::MemoryFolders folders(tree);
  // The folder chosen is scanned on a thread of its own; the test waits.
  const auto add_folder = [&tree](std::optional<std::string> folder) {
    return [&tree, folder](Session& s, ScriptedChoices& c) {
      c.folder = folder;
      const Outcome started = s.AddFolder(c, std::make_unique<testing::MemoryFolders>(tree), nullptr);
      return s.Adding() ? s.FinishAdding() : started;
    };
  };
  const auto drop = [&folders](std::vector<std::string> paths) {
    return [&folders, paths](Session& s, ScriptedChoices&) { return s.Edit(&E::AddPaths, paths, folders); };
  };
  const auto answer = [](Confirmation a) { return [a](ScriptedChoices& c) { c.answer = a; }; };
  const Case cases[] = {
      // Moving: one place, or round from one end to the other; the picture stays selected.
      {"up from the top", 0, Plain(&E::MovePictureUp), "BCA", "BCA", 2, kCategories, "", ""},
      {"up", 1, Plain(&E::MovePictureUp), "BAC", "BAC", 0, kCategories, "", ""},
      {"down from the bottom", 2, Plain(&E::MovePictureDown), "CAB", "CAB", 0, kCategories, "", ""},
      {"down", 1, Plain(&E::MovePictureDown), "ACB", "ACB", 2, kCategories, "", ""},
      {"a single picture", 10, Plain(&E::MovePictureUp), "ABC", "o", 0, kCategories, "", ""},
      // Deleting: the picture that followed is selected, after the last none.
      {"delete", 1, Plain(&E::DeletePicture), "AC", "AC", 1, kCategories, "", ""},
      {"delete the last", 2, Plain(&E::DeletePicture), "AB", "AB", -1, kCategories, "", ""},
      // Without a selected picture each says so in its own words.
      {"delete, none", -1, Plain(&E::DeletePicture), "ABC", "", -1, kCategories, "Communicat|Please select a file.", ""},
      {"up, none", -1, Plain(&E::MovePictureUp), "ABC", "", -1, kCategories, "Communicat|Please, select a file.", ""},
      {"down, none", -2, Plain(&E::MovePictureDown), "ABC", "", -1, kCategories, "Communicat|Please select a file.",
       ""},
      // "clear" empties the list on screen alone.
      {"clear", 1, Plain(&E::ClearPictureList), "ABC", "", -1, kCategories, "", ""},
      // Emptying a category: a Yes empties it; No, or no box at all, keep it.
      {"clear list", 1, Answered(&E::ClearCategory, answer(Confirmation::kYes)), "", "", -1, kCategories, "",
       "?Are you sure?"},
      {"clear list, no", 1, Answered(&E::ClearCategory, answer(Confirmation::kNo)), "ABC", "ABC", 1, kCategories, "",
       "?Are you sure?"},
      {"clear list, no box", 1, Answered(&E::ClearCategory, answer(Confirmation::kFailed)), "ABC", "ABC", 1,
       kCategories, "Error|Error.", "?Are you sure?"},
      {"clear list, none", -2, Plain(&E::ClearCategory), "ABC", "", -1, kCategories, "Communicat|Please select category",
       ""},
      // Deleting a category: none is current afterwards.
      {"delete category", 1, Answered(&E::DeleteCategory, answer(Confirmation::kYes)), nullptr, "", -1, "One,Three",
       "", "?Are you sure?"},
      {"delete category, no", 1, Answered(&E::DeleteCategory, answer(Confirmation::kNo)), "ABC", "ABC", 1,
       kCategories, "", "?Are you sure?"},
      {"delete category, no box", 1, Answered(&E::DeleteCategory, answer(Confirmation::kFailed)), "ABC", "ABC", 1,
       kCategories, "B\xC5\x82\xC4\x85" "d|Error", "?Are you sure?"},
      {"delete category, none", -2, Plain(&E::DeleteCategory), "ABC", "", -1, kCategories,
       "Communicat|Please select a category", ""},
      // A new category at the end, also under a name another has.
      {"new category", 1, Answered(&E::AddCategory, [](ScriptedChoices& c) { c.name = "Two"; }), "ABC", "ABC", 1,
       "One,Two,Three,Two", "", "name"},
      {"new category, cancelled", -2, Plain(&E::AddCategory), "ABC", "", -1, kCategories, "", "name"},
      // Chosen files go to the end in the dialog's order, duplicates too;
      // the list is back even when nothing was chosen.
      {"add files", 1,
       Answered(&E::AddPictures,
                [](ScriptedChoices& c) { c.files = Chosen(std::string("C:\\F\0e.jpg\0d.jpg\0A.jpg\0\0", 25)); }),
       "ABCedA", "ABCedA", 1, kCategories, "", "files"},
      {"add files, cancelled", -1, Plain(&E::AddPictures), "ABC", "ABC", 0, kCategories, "", "files"},
      {"add files, too many", 1,
       Answered(&E::AddPictures, [](ScriptedChoices& c) { c.files.outcome = ChosenFiles::Outcome::kBufferTooSmall; }),
       "ABC", "ABC", 1, kCategories, "B\xC5\x82\xC4\x85" "d|Zbyt du\xC5\xBC" "o zaznaczonych plik\xC3\xB3w.", "files"},
      {"add files, none", -2, Plain(&E::AddPictures), "ABC", "", -1, kCategories, "Communicat|Please select a category.",
       ""},
      // A folder, or dropped files and folders: the pictures not there yet.
      {"add folder", 0, add_folder("C:\\F"), "ABCde", "ABCde", 0, kCategories, "", "folder"},
      {"add folder, cancelled", 0, add_folder(std::nullopt), "ABC", "ABC", 0, kCategories, "", "folder"},
      {"add folder, none", -2, add_folder("C:\\F"), "ABC", "", -1, kCategories,
       "Communicat|Please select a category.", ""},
      {"drop", -1, drop({"C:\\P\\A.jpg", "C:\\F\\e.png", "C:\\F"}), "ABCed", "ABCed", 0, kCategories, "", ""},
      {"drop, none", -2, drop({"C:\\F"}), "ABC", "", -1, kCategories, "Communicat|Please select a category.", ""},
  };
  for (const Case& c : cases) {
    LibraryFixture f;
    f.WriteLibrary("One\r\nC:\\x\\o.jpg\r\n\r\nTwo\r\nC:\\P\\A.jpg\r\nC:\\P\\B.jpg\r\nC:\\P\\C.jpg\r\n\r\nThree");
    f.WriteSelection(c.selected == 10 ? 0 : 1, 0);
    auto session = f.MakeSession();
    WallpaperLibrary& library = session->Library();
    if (c.selected >= 0 && c.selected < 10) session->SelectPicture(c.selected);
    if (c.selected == -1) session->Edit(&E::ClearPictureList);
    if (c.selected == -2) library.currentCategory = -1, library.pictureListShown = false;

    ScriptedChoices choices;
    const Outcome outcome = c.command(*session, choices);
    if (c.two != nullptr) {
      EXPECT_EQ(Letters(library.CategoryAt(1).pictures), c.two) << c.what;
    }
    EXPECT_EQ(Letters(library.PictureListItems()), c.shown) << c.what;
    EXPECT_EQ(library.PictureListSelection(), c.shown_selected) << c.what;
    EXPECT_EQ(Joined(library.CategoryListItems()), c.categories) << c.what;
    EXPECT_EQ(outcome.notice ? std::string(outcome.notice.caption) + "|" + outcome.notice.text : "", c.told)
        << c.what;
    EXPECT_EQ(choices.asked, c.asked) << c.what;
  }
}

// The program goes on while a question is open. An answer that comes after
// the library changed acts on nothing else: with categories A and B, A
// current, "clear list" is asked, A is deleted meanwhile, then the answer
// is Yes: B keeps its pictures. (The main window's boxes are modal, so the
// user cannot do this; the timer and the hotkeys can change the wallpaper.)
TEST(EditingCommandsOnTheSession, AnAnswerAfterTheLibraryChangedTouchesNothingElse) {
  LibraryFixture f;
  f.WriteLibrary("A\r\nC:\\a1.jpg\r\n\r\nB\r\nC:\\b1.jpg\r\nC:\\b2.jpg");
  f.WriteSelection(0, 0);
  for (auto command : {&E::ClearCategory, &E::DeleteCategory, &E::AddPictures}) {
    auto session = f.MakeSession();
    WallpaperLibrary& library = session->Library();
    ScriptedChoices choices;
    choices.files = Chosen(std::string("C:\\new.jpg\0\0", 12));
    choices.meanwhile = [&] {
      choices.meanwhile = nullptr;
      ScriptedChoices inner;
      session->Edit(&E::DeleteCategory, static_cast<UserChoices&>(inner));
      session->SelectCategory(0);  // B, at A's place now
    };
    session->Edit(command, static_cast<UserChoices&>(choices));
    ASSERT_EQ(library.CategoryCount(), 1);
    EXPECT_EQ(library.CategoryAt(0).pictures, (std::vector<std::string>{"C:\\b1.jpg", "C:\\b2.jpg"}));
  }
}

// A listing whose folders open only when the test lets them: the scan is
// under way meanwhile.
class GatedFolders final : public FolderListing {
 public:
  GatedFolders(std::vector<std::string> tree, std::shared_future<void> gate) : inner_(tree), gate_(gate) {}
  char Separator() const override { return '\\'; }
  EntryKind KindOf(const std::string& path) override { return inner_.KindOf(path); }
  bool List(const std::string& folder, std::vector<FolderEntry>& entries) override {
    gate_.wait();
    return inner_.List(folder, entries);
  }

 private:
  testing::MemoryFolders inner_;
  std::shared_future<void> gate_;
};

// Adding runs apart from the window: one scan at a time, a cancel ends it
// with what it found, and its pictures go to the category it was for, or
// nowhere when that one went meanwhile.
TEST(EditingCommandsOnTheSession, AddingFoldersRunsApartAndLandsWhereItWasMeantTo) {
  const std::vector<std::string> tree = {"C:\\F\\d.jpg", "C:\\F\\e.png", "C:\\F\\notes.txt"};
  for (const char* meanwhile : {"nothing", "cancel", "category deleted"}) {
    LibraryFixture f;
    f.WriteLibrary("One\r\nC:\\x\\o.jpg\r\n\r\nTwo\r\nC:\\P\\A.jpg");
    f.WriteSelection(1, 0);
    auto session = f.MakeSession();
    std::promise<void> open;
    std::atomic<bool> done{false};
    EXPECT_FALSE(session->StartAdding({"C:\\F"}, std::make_unique<GatedFolders>(tree, open.get_future().share()),
                                      [&done] { done = true; })
                     .notice);
    EXPECT_TRUE(session->Adding());
    EXPECT_EQ(session->StartAdding({"C:\\F"}, std::make_unique<testing::MemoryFolders>(tree), nullptr).notice.text,
              "Vistelle is still adding the pictures of the last folder.");
    const std::string what = meanwhile;
    ScriptedChoices yes;
    if (what == "cancel") session->CancelAdding();
    if (what == "category deleted") session->Edit(&E::DeleteCategory, static_cast<UserChoices&>(yes));
    open.set_value();
    const Outcome outcome = session->FinishAdding();
    EXPECT_TRUE(done) << what;
    EXPECT_FALSE(session->Adding());
    const std::vector<std::string> one = {"C:\\x\\o.jpg"};
    if (what == "nothing") {
      EXPECT_EQ(Letters(session->Library().CategoryAt(1).pictures), "Ade");
      EXPECT_EQ(outcome.status, "2 pictures added; 1 skipped: 1 not a picture.");
    } else if (what == "cancel") {
      EXPECT_EQ(Letters(session->Library().CategoryAt(1).pictures), "A");
      EXPECT_EQ(outcome.status, "0 pictures added before adding was cancelled.");
    } else {
      EXPECT_EQ(session->Library().CategoryCount(), 1);
      EXPECT_EQ(session->Library().CategoryAt(0).pictures, one);
    }
  }
}

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

}  // namespace
}  // namespace vistelle
