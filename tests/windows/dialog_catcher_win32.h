// What the Windows tests share: UTF-8 and UTF-16 text, reading windows and
// list boxes, a stand-in for the main window's two lists, and a catcher for
// the dialogs a test makes its own thread open.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace vistelle::testing {

// --- Text ------------------------------------------------------------------

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& text);
// The whole text of a window or control, however long.
std::wstring WindowText(HWND window);

// What a list box shows, read in UTF-16 as a person would see it.
std::vector<std::string> Items(HWND list_box);
// The selected line of a single-selection list box, -1 for none.
int Selected(HWND list_box);

// --- Windows ---------------------------------------------------------------

// Handles every message waiting for this thread (a quit message is dropped).
void Pump();

// A 32-bit top-down DIB header of the given size.
BITMAPINFO TopDownDibInfo(int width, int height);

// A plain window with the picture list (202) and the category list (203)
// where the main window has them.
class ListBoxHost {
 public:
  explicit ListBoxHost(const char* title = "Vistelle", bool visible = false, int x = 40, int y = 40);
  ~ListBoxHost();
  ListBoxHost(const ListBoxHost&) = delete;
  ListBoxHost& operator=(const ListBoxHost&) = delete;

  HWND Window() const { return window_; }
  HWND Pictures() const { return pictures_; }
  HWND Categories() const { return categories_; }

 private:
  HWND window_ = nullptr;
  HWND pictures_ = nullptr;
  HWND categories_ = nullptr;
};

// --- Dialogs of this thread, caught as they open ---------------------------

// What is done with a dialog as it opens.
using DialogHandler = std::function<void(HWND dialog)>;

// A message box as a person sees it.
struct CaughtBox {
  std::wstring caption;
  std::wstring text;
  HWND owner = nullptr;
  HICON icon = nullptr;
  bool yes_no = false;
};

// While it lives, every dialog ("#32770") this thread opens is caught as it
// is first activated and given to the next handler queued with Then(); once
// the queue is empty, to the Otherwise() handler, or else counted as
// unexpected and cancelled. Should a dialog still be open after the timeout,
// every dialog of the thread is closed so that the run goes on. One catcher
// at a time.
class DialogCatcher {
 public:
  static constexpr unsigned kDefaultTimeoutMs = 20000;

  // timeout_ms 0: no timeout.
  explicit DialogCatcher(unsigned timeout_ms = kDefaultTimeoutMs);
  ~DialogCatcher();
  DialogCatcher(const DialogCatcher&) = delete;
  DialogCatcher& operator=(const DialogCatcher&) = delete;

  void Then(DialogHandler handler);
  // Reads the next message box and presses the button.
  void ThenAnswer(int button) { Then(AnswerBox(button)); }
  // What is done with dialogs beyond those queued.
  void Otherwise(DialogHandler handler);

  // A handler that reads the message box into Boxes() and presses the button.
  DialogHandler AnswerBox(int button);

  bool Hooked() const { return hook_ != nullptr; }
  const std::vector<CaughtBox>& Boxes() const { return boxes_; }
  int Unexpected() const { return unexpected_; }
  bool TimedOut() const { return timed_out_; }
  bool AllHandled() const { return handlers_.empty(); }
  // Every dialog expected was there, none more, and none was left open.
  void ExpectAllAnswered() const;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam);
  static void CALLBACK Timeout(HWND, UINT, UINT_PTR, DWORD);
  void Catch(HWND dialog);

  HHOOK hook_ = nullptr;
  UINT_PTR timer_ = 0;
  std::deque<DialogHandler> handlers_;
  DialogHandler otherwise_;
  std::set<HWND> seen_;
  std::vector<CaughtBox> boxes_;
  int unexpected_ = 0;
  bool timed_out_ = false;
};

}  // namespace vistelle::testing
