// The Win32 kit: owning handles and their count, the guards, UTF-16 text and
// the message boxes with their modal depth.
#include <windows.h>

#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "base/win32/handle_win32.h"
#include "base/win32/message_boxes_win32.h"
#include "base/win32/utf16_win32.h"
#include "tests/windows/dialog_catcher_win32.h"

namespace vistelle {
namespace {

using win32::HandleCount;

bool IsBitmap(HBITMAP bitmap) { return GetObjectType(bitmap) == static_cast<DWORD>(OBJ_BITMAP); }

TEST(Win32Handles, EachHandleIsClosedExactlyOnceAndCounted) {
  const long before = HandleCount::Alive();
  HBITMAP first = CreateBitmap(4, 4, 1, 32, nullptr);
  HBITMAP second = CreateBitmap(4, 4, 1, 32, nullptr);
  {
    win32::Bitmap a(first);
    EXPECT_EQ(HandleCount::Alive(), before + 1);
    a.Reset(first);  // the same handle again is kept, and not counted twice
    EXPECT_TRUE(IsBitmap(first));
    EXPECT_EQ(HandleCount::Alive(), before + 1);
    win32::Bitmap b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.Get(), first);
    EXPECT_EQ(HandleCount::Alive(), before + 1);
    b.Reset(second);
    EXPECT_FALSE(IsBitmap(first));  // closed on replacement
    win32::Bitmap c;
    c = std::move(b);
    EXPECT_EQ(c.Get(), second);
    EXPECT_EQ(c.Release(), second);  // handed on: not closed, no longer counted
    EXPECT_EQ(HandleCount::Alive(), before);
    win32::Bitmap none(nullptr);
    EXPECT_FALSE(none);
    EXPECT_EQ(HandleCount::Alive(), before);
  }
  EXPECT_TRUE(IsBitmap(second));
  DeleteObject(second);

  // Kernel handles: null and INVALID_HANDLE_VALUE both mean none.
  win32::KernelHandle invalid(INVALID_HANDLE_VALUE);
  EXPECT_FALSE(invalid);
  EXPECT_TRUE(invalid.Close());
  win32::KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  EXPECT_EQ(HandleCount::Alive(), before + 1);
  EXPECT_TRUE(event.Close());
  EXPECT_FALSE(event);
  EXPECT_EQ(HandleCount::Alive(), before);
}

TEST(Win32Handles, GuardsPutBackWhatTheyChanged) {
  const long before = HandleCount::Alive();
  {
    const win32::MemoryDc dc = win32::MakeMemoryDc();
    ASSERT_TRUE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_BITMAP);
    const win32::Bitmap bitmap(CreateBitmap(2, 2, 1, 32, nullptr));
    {
      const win32::ScopedSelect selected(dc.Get(), bitmap.Get());
      EXPECT_TRUE(selected.Selected());
      EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BITMAP), bitmap.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BITMAP), original);
    const win32::ScopedSelect nothing(dc.Get(), nullptr);
    EXPECT_FALSE(nothing.Selected());

    const win32::WindowDc screen(nullptr);
    EXPECT_TRUE(screen);
    EXPECT_EQ(HandleCount::Alive(), before + 3);
  }
  EXPECT_EQ(HandleCount::Alive(), before);
}

TEST(Win32Text, Utf8AndUtf16BothWays) {
  const std::string polish = u8"\u017b\u00f3\u0142w \u0119 \u65e5\u672c \U0001F600";
  const std::wstring wide = win32::Widen(polish);
  EXPECT_EQ(wide, L"\u017b\u00f3\u0142w \u0119 \u65e5\u672c \U0001F600");
  EXPECT_EQ(win32::Narrow(wide), polish);
  EXPECT_EQ(win32::Widen(""), L"");
  EXPECT_EQ(win32::Narrow(L""), "");

  // Not UTF-8: replaced by Widen, refused by TryWiden, as is a zero inside.
  std::wstring out = L"old";
  EXPECT_FALSE(win32::TryWiden("caf\xE9", out));
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(win32::Widen("caf\xE9"), L"caf\uFFFD");
  EXPECT_FALSE(win32::TryWiden(std::string("a\0b", 3), out));
  EXPECT_TRUE(win32::TryWiden(polish, out));
  EXPECT_EQ(out, wide);
  // Text of another code page.
  EXPECT_TRUE(win32::TryWiden("\xB9\xE6", out, 1250));
  EXPECT_EQ(out, L"\u0105\u0107");
}

TEST(Win32Messages, BoxesSayWhatTheyAreGivenAndCountAsModal) {
  testing::ListBoxHost host("Vistelle", true);
  win32::MessageBoxes messages(host.Window());
  testing::DialogCatcher catcher(10000);
  int depth_inside = 0;
  catcher.Then([&](HWND box) {
    depth_inside = win32::ModalLoop::Depth();
    catcher.AnswerBox(IDOK)(box);
  });
  catcher.ThenAnswer(IDYES);
  catcher.ThenAnswer(IDNO);
  catcher.ThenAnswer(IDOK);
  EXPECT_EQ(win32::ModalLoop::Depth(), 0);
  messages.Tell(Notice::Warning(u8"Nie ma \u017c\u00f3\u0142wia."));
  EXPECT_EQ(messages.Confirm("Are you sure?"), Confirmation::kYes);
  EXPECT_EQ(messages.Confirm("Are you sure?"), Confirmation::kNo);
  messages.Tell(Notice());  // nothing to tell: no box
  messages.Tell(Notice::Error("Error. The file doesn't exist.", "Vistelle"));
  catcher.ExpectAllAnswered();
  EXPECT_EQ(depth_inside, 1);
  EXPECT_EQ(win32::ModalLoop::Depth(), 0);

  ASSERT_EQ(catcher.Boxes().size(), 4u);
  const testing::CaughtBox& warning = catcher.Boxes()[0];
  EXPECT_EQ(warning.caption, L"Communicat");
  EXPECT_EQ(warning.text, L"Nie ma \u017c\u00f3\u0142wia.");
  EXPECT_EQ(warning.icon, LoadIconA(nullptr, IDI_WARNING));
  // Every box is the main window's.
  for (const testing::CaughtBox& box : catcher.Boxes()) EXPECT_EQ(box.owner, host.Window());
  const testing::CaughtBox& question = catcher.Boxes()[1];
  EXPECT_EQ(question.caption, L"Vistelle");
  EXPECT_TRUE(question.yes_no);
  EXPECT_EQ(question.icon, LoadIconA(nullptr, IDI_QUESTION));
  const testing::CaughtBox& error = catcher.Boxes()[3];
  EXPECT_EQ(error.caption, L"Vistelle");
  EXPECT_EQ(error.icon, LoadIconA(nullptr, IDI_ERROR));
}

}  // namespace
}  // namespace vistelle
