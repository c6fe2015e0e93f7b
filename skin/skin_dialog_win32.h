// The skinned top-level window: its size and picture come from the skin's
// Main picture, its outline from the Mask picture; it carries the skin's
// buttons, labels and their tooltips, can be dragged by any point of its
// background, and turns a button's click into HandleSkinCommand.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/skin_file.h"
#include "skin/skin_button_win32.h"
#include "skin/skin_object_win32.h"
#include "skin/trans_label_win32.h"

namespace vistelle {

class SkinDialog : public SkinObject {
 public:
  SkinDialog() = default;
  // Removes the skin's tooltips, buttons and labels (and their windows, if
  // they are still there), then the bitmaps.
  ~SkinDialog() override;

  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnPaint(HDC dc) override;

  // Reads the skin, then creates the hidden WS_POPUP window (caption is both
  // class name and title) and gives it the skin. Null, with no window made,
  // when the skin cannot be read (SkinProblem says which file) or the window
  // cannot be created.
  virtual HWND CreateFromSkin(const char* caption, int x, int y, HINSTANCE instance, const char* skin_file);
  // A skin button was clicked; the default does nothing and answers 1.
  virtual int HandleSkinCommand(const char* name);

  // The display scaling the window is laid out for, in per cent: that of
  // its monitor's DPI. The skin's pictures and places, written for 100 %,
  // are made for it (skin/skin_scale.h); a move to a monitor of another
  // scaling loads the skin again for that one, then calls OnScaleChanged.
  int Scale() const { return scale_; }
  // A length of the skin's 100 % layout at the window's scaling.
  int Scaled(int length) const;
  RECT Scaled(const RECT& rect) const;

  // Reads the skin description and builds the window's look, outline,
  // buttons and labels. Loading a skin again replaces the earlier one. A
  // skin whose file or Main picture cannot be read would leave a window
  // nobody can use: it is refused (false, SkinProblem names the file) and
  // the skin before stays.
  bool LoadSkin(const char* skin_file);
  // The file that made the last CreateFromSkin or LoadSkin fail; empty
  // after one that worked.
  const std::string& SkinProblem() const { return skin_problem_; }
  // Removes the tooltips, buttons and labels and the Down picture.
  void ReleaseSkin();

  // Puts the children with WS_TABSTOP (the buttons, and controls such as
  // lists that the program adds) in the order skin/focus_order.h gives, for
  // Tab and Shift+Tab. Loading a skin does it for its buttons; a program
  // that adds tab stops calls it again.
  void ArrangeFocusOrder();
  // What the message loop does with a message before dispatching it: for
  // this window and its children, a key shows focus rings from then on, and
  // Tab, Shift+Tab, Enter and Esc work as in a dialog (Esc reaches the
  // window as WM_COMMAND IDCANCEL, Enter with no button focused as DM_GETDEFID
  // and then WM_COMMAND of the answer). True when the message has been
  // dispatched or used up; false for other windows' messages.
  bool HandleKeyboard(MSG& message);

  void SetDragByBackground(bool drag) { drag_by_background_ = drag; }
  bool DragByBackground() const { return drag_by_background_; }
  bool Busy() const { return busy_; }
  const std::string& SkinFolder() const { return skin_folder_; }

  std::size_t ButtonCount() const { return buttons_.size(); }
  SkinButton* ButtonAt(std::size_t index) const { return buttons_[index].get(); }
  std::size_t LabelCount() const { return labels_.size(); }
  TransLabel* LabelAt(std::size_t index) const { return labels_[index].get(); }
  std::size_t ToolTipCount() const { return tooltips_.size(); }

 private:
  // A skin read from its files, before it is given to the window.
  struct ReadSkin {
    std::string folder;
    SkinDescription description;
    win32::Bitmap normal;
    win32::Bitmap mask;
    win32::Bitmap down;
  };
  // False, with skin_problem_ naming the file, when the description or its
  // Main picture cannot be read.
  bool Read(const char* skin_file, ReadSkin& skin);
  void Apply(ReadSkin skin);
  // The button whose name lies at that address, or null.
  SkinButton* ButtonByNameAddress(LPARAM address) const;

  // The window is laid out for another scaling now; the skin's own parts
  // are already.
  virtual void OnScaleChanged() {}

  bool busy_ = false;
  int scale_ = 100;
  std::string skin_file_;
  HWND last_focus_ = nullptr;  // the child that had the focus when the window went inactive
  std::string skin_folder_;
  bool drag_by_background_ = true;
  std::string skin_problem_;
  win32::Bitmap down_;
  std::vector<std::unique_ptr<SkinButton>> buttons_;
  std::vector<std::unique_ptr<TransLabel>> labels_;
  std::vector<std::unique_ptr<KToolTip>> tooltips_;
};

}  // namespace vistelle
