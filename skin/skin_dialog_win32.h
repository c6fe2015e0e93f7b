// The skinned top-level window: its size and picture come from the skin's
// Main picture, its outline from the Mask picture; it carries the skin's
// buttons, labels and their tooltips, can be dragged by any point of its
// background, and turns a button's click into HandleSkinCommand.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/ini_file_win32.h"
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

  // Creates the hidden WS_POPUP window (caption is both class name and
  // title) and loads the skin into it.
  virtual HWND CreateFromSkin(const char* caption, int x, int y, HINSTANCE instance, const char* skin_file);
  // A skin button was clicked; the default does nothing and answers 1.
  virtual int HandleSkinCommand(const char* name);

  // Reads the skin description and builds the window's look, outline,
  // buttons and labels. Loading a skin again replaces the earlier one.
  void LoadSkin(const char* skin_file);
  // Removes the tooltips, buttons and labels and the Down picture.
  void ReleaseSkin();

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
  // The button whose name lies at that address, or null.
  SkinButton* ButtonByNameAddress(LPARAM address) const;

  bool busy_ = false;
  std::string skin_folder_;
  bool drag_by_background_ = true;
  BitmapHolder down_;
  IniFile ini_;
  std::vector<std::unique_ptr<SkinButton>> buttons_;
  std::vector<std::unique_ptr<TransLabel>> labels_;
  std::vector<std::unique_ptr<KToolTip>> tooltips_;
};

}  // namespace vistelle
