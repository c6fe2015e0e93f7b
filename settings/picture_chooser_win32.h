// The picture chooser: the system's open-file dialog with a panel of our
// own (dialog 121) that shows a thumbnail of the selected file and its size
// in pixels, with a "show thumb" box to turn the thumbnail off.
#pragma once

#include <windows.h>

#include <cstddef>

#include "library/user_choices.h"

namespace vistelle {

// The open-file dialog's filter list: "All pictures" first, then one entry
// per format. Pairs of description and patterns, each ended by a NUL, and a
// final NUL; the calendar background's chooser uses the same list.
extern const char kPictureFilters[];

// The hook of the panel (lpfnHook, with lpTemplateName 121 from the
// program's module and OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE).
UINT_PTR CALLBACK PictureChooserHook(HWND panel, UINT message, WPARAM wparam, LPARAM lparam);

// Shows the thumbnail of the file at path in the panel: both sizes, and
// the picture stretched over the thumbnail area. A file that is not a
// picture gives 0 and 0 and leaves the area as it was.
void ShowPictureThumbnail(HWND panel, const char* path);

// The open-file dialog of "BUTTON_WALLPAPERADD": several files at once, each
// of which must exist, from a buffer of kBufferSize characters.
class OpenFilePictureChooser final {
 public:
  static constexpr std::size_t kBufferSize = 100000;

  explicit OpenFilePictureChooser(HWND owner) : owner_(owner) {}
  ChosenFiles Choose();

 private:
  HWND owner_;
};

}  // namespace vistelle
