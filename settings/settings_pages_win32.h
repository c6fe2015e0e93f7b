// The inside of the settings sheet: its settings record, the three pages'
// dialog procedures and the choosers they share.
#pragma once

#include <windows.h>

#include <string>

#include "config/config.h"
#include "settings/settings_values.h"

namespace vistelle {

// The settings record the sheet edits: one for the whole run, loaded from
// config.ini when the sheet opens and written back when it closes.
TConfig& SheetSettings();

// The program's folder: the current directory, which start-up makes the
// program's own (and the choosers put back after the user browsed).
std::string ProgramFolder();

INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK EffectsPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK CalendarPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

// Set by the pages when OK is pressed (PSN_APPLY).
void NoteSheetApplied();

// The system colour dialog for one colour, opened over owner with the
// colour preselected and the program's 16 custom colours, which stay for
// the whole run. The colour is unchanged when the user cancels.
void ChooseColour(ColorRef& colour, HWND owner);

// The open-file dialog for the calendar's own background picture. A chosen
// file goes into the sheet's settings ("Ccalendar_background_user", and
// "Ccalendar_background" set); true then. The current directory is the
// same afterwards whatever folder the user visited.
bool ChooseCalendarPicture(HWND owner);

// The start with the system: the value "Pictora" of the Run key. It counts
// as present when it holds data under the current user's or the machine's
// key.
bool StartupEntryExists();
// Writes the value under the current user's key (data: the program's folder
// followed by "\Pictora.exe hide"), or removes it from the current user's
// key and, where the rights allow, from the machine's. False when the
// current user's key could not be changed.
bool SetStartupEntry(bool enabled, const std::string& program_dir);

// Owns one GDI object (a brush or a font) and deletes it exactly once.
class GdiObjectHolder {
 public:
  GdiObjectHolder() = default;
  explicit GdiObjectHolder(HGDIOBJ object) : object_(object) {}
  ~GdiObjectHolder() { Reset(); }
  GdiObjectHolder(const GdiObjectHolder&) = delete;
  GdiObjectHolder& operator=(const GdiObjectHolder&) = delete;
  GdiObjectHolder(GdiObjectHolder&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  GdiObjectHolder& operator=(GdiObjectHolder&& other) noexcept {
    if (this != &other) {
      Reset(other.object_);
      other.object_ = nullptr;
    }
    return *this;
  }

  HGDIOBJ Get() const { return object_; }
  void Reset(HGDIOBJ object = nullptr) {
    if (object_ != nullptr && object_ != object) DeleteObject(object_);
    object_ = object;
  }

 private:
  HGDIOBJ object_ = nullptr;
};

// Paints a swatch: the rectangle filled with the brush and outlined with
// the device context's pen.
void PaintSwatch(HDC dc, const GdiObjectHolder& brush, int left, int top, int right, int bottom);

// The page's dialog base units, for placing what the page draws itself.
PageScale ScaleOf(HWND page);

// The small Arial font of the pages' drop-down lists.
HFONT CreateListFont();

// The page's client position of a mouse message (signed).
POINT MousePosition(LPARAM lparam);

// A page's WM_NOTIFY: on PSN_APPLY, apply(page) copies the controls into
// the sheet record, the sheet learns that OK was pressed, and the page
// answers without objection; every other notification is left alone.
INT_PTR OnPageNotify(HWND page, LPARAM lparam, void (*apply)(HWND page));

}  // namespace vistelle
