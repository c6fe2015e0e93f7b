#include "settings/schedule_rule_dialog_win32.h"

#include <cstddef>
#include <cstdint>

#include "base/win32/message_boxes_win32.h"
#include "base/win32/utf16_win32.h"
#include "resources/settings_ids.h"
#include "settings/screens_values.h"
#include "settings/settings_pages_win32.h"

namespace vistelle {

namespace {

constexpr const char* kCaption = "Schedule rule";

// The kinds of a time in the order of the lists: the index is DayTime::Kind.
const std::vector<std::string>& KindNames() {
  static const std::vector<std::string> names = {"Time", "Sunrise", "Sunset"};
  return names;
}

// The start and the end: their three controls, the rule's member and how a
// box names them.
struct TimeRow {
  int kind_id;
  int time_id;
  int unit_id;
  DayTime ScheduleRule::*time;
  const char* name;
};
constexpr TimeRow kRows[] = {
    {IDC_RULE_FROM_KIND, IDC_RULE_FROM_TIME, IDC_RULE_FROM_UNIT, &ScheduleRule::from, "start"},
    {IDC_RULE_TO_KIND, IDC_RULE_TO_TIME, IDC_RULE_TO_UNIT, &ScheduleRule::to, "end"},
};

struct RuleDialog {
  ScheduleRule rule;
  std::vector<std::string> names;  // the category list's items
  std::optional<ScheduleRule> result;
};

DayTime::Kind KindShown(HWND dialog, const TimeRow& row) {
  const LRESULT index = SendDlgItemMessageW(dialog, row.kind_id, CB_GETCURSEL, 0, 0);
  if (index == static_cast<LRESULT>(DayTime::Kind::kSunrise)) return DayTime::Kind::kSunrise;
  if (index == static_cast<LRESULT>(DayTime::Kind::kSunset)) return DayTime::Kind::kSunset;
  return DayTime::Kind::kClock;
}

// The hint beside the time box says what it takes.
void ShowUnit(HWND dialog, const TimeRow& row) {
  SetDlgItemTextW(dialog, row.unit_id,
                  KindShown(dialog, row) == DayTime::Kind::kClock ? L"hh:mm" : L"minutes (\u00B1)");
}

// Another kind chosen: a time box that does not read as the new kind
// starts again from none (midnight, or no offset).
void OnKindChanged(HWND dialog, const TimeRow& row) {
  const DayTime::Kind kind = KindShown(dialog, row);
  DayTime time;
  if (!ReadDayTime(kind, ControlText(GetDlgItem(dialog, row.time_id)), time)) {
    time = DayTime{kind, 0};
    SetDlgItemTextW(dialog, row.time_id, win32::Widen(DayTimeEditText(time)).c_str());
  }
  ShowUnit(dialog, row);
}

void OnInitDialog(HWND dialog, RuleDialog& state) {
  const HWND categories = GetDlgItem(dialog, IDC_RULE_CATEGORY);
  FillList(categories, state.names);
  int shown = 0;
  for (std::size_t i = 0; i < state.names.size(); ++i)
    if (state.names[i] == state.rule.category) shown = static_cast<int>(i);
  SendMessageW(categories, CB_SETCURSEL, static_cast<WPARAM>(shown), 0);

  for (const TimeRow& row : kRows) {
    const DayTime& time = state.rule.*row.time;
    FillList(GetDlgItem(dialog, row.kind_id), KindNames());
    SendDlgItemMessageW(dialog, row.kind_id, CB_SETCURSEL, static_cast<WPARAM>(time.kind), 0);
    SetDlgItemTextW(dialog, row.time_id, win32::Widen(DayTimeEditText(time)).c_str());
    SendDlgItemMessageW(dialog, row.time_id, EM_LIMITTEXT, 8, 0);
    ShowUnit(dialog, row);
  }
  for (int d = 0; d < 7; ++d)
    CheckDlgButton(dialog, IDC_RULE_MONDAY + d, (state.rule.days & (1u << d)) != 0 ? BST_CHECKED : BST_UNCHECKED);
}

// What the dialog shows as a rule; false, with a box over the dialog and
// the focus on the control at fault, when some of it does not read.
bool ReadRule(HWND dialog, const RuleDialog& state, ScheduleRule& rule) {
  const auto refuse = [dialog](int id, const std::string& text) {
    win32::MessageBoxes::Show(dialog, text, kCaption, MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(dialog, id));
    return false;
  };
  const LRESULT category = SendDlgItemMessageW(dialog, IDC_RULE_CATEGORY, CB_GETCURSEL, 0, 0);
  if (category < 0 || static_cast<std::size_t>(category) >= state.names.size())
    return refuse(IDC_RULE_CATEGORY, "Choose the category the rule shows.");
  rule.category = state.names[static_cast<std::size_t>(category)];

  for (const TimeRow& row : kRows) {
    const DayTime::Kind kind = KindShown(dialog, row);
    if (ReadDayTime(kind, ControlText(GetDlgItem(dialog, row.time_id)), rule.*row.time)) continue;
    if (kind == DayTime::Kind::kClock)
      return refuse(row.time_id, std::string("The ") + row.name +
                                     " is a time of day in hours and minutes, from 00:00 to 23:59, for example 07:30.");
    return refuse(row.time_id, std::string("The ") + row.name + " is " +
                                   (kind == DayTime::Kind::kSunrise ? "sunrise" : "sunset") +
                                   " with an offset in whole minutes, from -720 to 720 (0 for none).");
  }

  rule.days = 0;
  for (int d = 0; d < 7; ++d)
    if (IsDlgButtonChecked(dialog, IDC_RULE_MONDAY + d) == BST_CHECKED) rule.days |= static_cast<std::uint8_t>(1u << d);
  if (rule.days == 0) return refuse(IDC_RULE_MONDAY, "Tick at least one day for the rule to start on.");
  return true;
}

INT_PTR CALLBACK RuleDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    if (lparam != 0) OnInitDialog(dialog, *reinterpret_cast<RuleDialog*>(lparam));
    return TRUE;
  }
  auto* state = reinterpret_cast<RuleDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (state == nullptr || message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wparam);
  const int code = HIWORD(wparam);
  for (const TimeRow& row : kRows) {
    if (id == row.kind_id && code == CBN_SELCHANGE) {
      OnKindChanged(dialog, row);
      return TRUE;
    }
  }
  if (id == IDOK) {
    ScheduleRule rule;
    if (ReadRule(dialog, *state, rule)) {
      state->result = rule;
      EndDialog(dialog, IDOK);
    }
    return TRUE;
  }
  if (id == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

std::optional<ScheduleRule> RunScheduleRuleDialog(HWND owner, const ScheduleRule& rule,
                                                  const std::vector<std::string>& categories) {
  RuleDialog state;
  state.rule = rule;
  state.names = categories;
  bool listed = rule.category.empty();
  for (const std::string& name : categories) listed = listed || name == rule.category;
  if (!listed) state.names.push_back(rule.category);
  win32::RunDialog(IDD_SCHEDULE_RULE, owner, RuleDialogProc, reinterpret_cast<LPARAM>(&state));
  return state.result;
}

}  // namespace vistelle
