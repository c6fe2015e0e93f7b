// A list box of the main window as a view of the session. Texts are UTF-8,
// the program's code page, and go through the ...A messages unchanged.
#pragma once

#include <windows.h>

#include "app/list_view.h"

namespace vistelle {

class ListBoxView final : public ListView {
 public:
  // The list box is not owned; it must outlive the view's use.
  explicit ListBoxView(HWND list_box = nullptr) : list_box_(list_box) {}

  void Attach(HWND list_box) { list_box_ = list_box; }
  HWND Handle() const { return list_box_; }

  void Insert(std::int32_t position, const std::string& text) override;
  void Remove(std::int32_t position) override;
  void Clear() override;
  void Select(std::int32_t position) override;
  void HoldDrawing(bool hold) override;

 private:
  HWND list_box_;
};

}  // namespace vistelle
