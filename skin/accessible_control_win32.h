// What a screen reader learns of the skin's controls, through Microsoft
// Active Accessibility: a name, a role and what pressing does.
//
// Windows has a standard object for every window (its place, its state and
// focus, the items of a list), but a skin button is a window of a class of
// our own, which the standard object calls a "client" with the class name
// for a name. Ours wraps the standard object and answers the name, the role
// and the default action itself; everything else, and everything about a
// control's items, is the standard object's.
#pragma once

#include <windows.h>

#include <string>

namespace vistelle {

// What is told of the control itself. An empty name or action, and a role
// of 0, leave the answer to the standard object.
struct AccessibleFace {
  std::wstring name;
  LONG role = 0;
  // Doing the action posts BM_CLICK to the control.
  std::wstring default_action;
};

// The answer to WM_GETOBJECT for the control's own area (OBJID_CLIENT): our
// object, handed over as Windows asks. 0 for any other object, or when none
// could be made; the caller then leaves the message to DefWindowProc.
LRESULT AnswerAccessibleObject(HWND control, WPARAM wparam, LPARAM lparam, const AccessibleFace& face);

}  // namespace vistelle
