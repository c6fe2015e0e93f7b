// A list box of the main window as the library's list view. Texts are UTF-8,
// the program's code page, and go through the ...A messages unchanged.
#pragma once

#include <windows.h>

#include "library/list_view.h"

namespace vistelle {

class ListBoxView final : public ListView {
 public:
  // The list box is not owned; it must outlive the view's use.
  explicit ListBoxView(HWND list_box = nullptr) : list_box_(list_box) {}

  void Attach(HWND list_box) { list_box_ = list_box; }
  HWND Handle() const { return list_box_; }

  std::int32_t Count() const override;
  void Append(const std::string& text) override;
  void Insert(std::int32_t position, const std::string& text) override;
  void Remove(std::int32_t position) override;
  std::string Text(std::int32_t position) const override;
  void Clear() override;
  std::int32_t Selection() const override;
  void Select(std::int32_t position) override;

 private:
  HWND list_box_;
};

}  // namespace vistelle
