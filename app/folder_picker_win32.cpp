#include "app/folder_picker_win32.h"

#include <shobjidl.h>

#include "base/win32/com_ptr_win32.h"
#include "base/win32/message_boxes_win32.h"
#include "base/win32/utf16_win32.h"

namespace vistelle {

std::string ChooseFolder(HWND owner) {
  // COM for this thread; a thread that has it already keeps its own.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  std::string folder;
  {
    win32::ComPtr<IFileOpenDialog> dialog;
    if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                   dialog.PutVoid()))) {
      FILEOPENDIALOGOPTIONS options = 0;
      dialog->GetOptions(&options);
      dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
      HRESULT shown = E_FAIL;
      {
        const win32::ModalLoop loop;
        shown = dialog->Show(owner);
      }
      win32::ComPtr<IShellItem> item;
      if (SUCCEEDED(shown) && SUCCEEDED(dialog->GetResult(item.Put()))) {
        PWSTR path = nullptr;
        if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path != nullptr) {
          folder = win32::Narrow(path);
          CoTaskMemFree(path);
        }
      }
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return folder;
}

}  // namespace vistelle
