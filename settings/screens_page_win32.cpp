// The Screens and times page: above, the monitors drawn small as they lie
// on the desk, and for the one clicked its category, position, background
// and whether it takes portrait pictures (all greyed unless the Options page
// gives each monitor a picture of its own); below, the schedule that names
// the category by the time of day, and the place whose sunrise and sunset
// it counts from. The page edits a copy of its settings and hands it to the
// sheet's record on OK.
#include <windows.h>

#include <algorithm>

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/win32/message_boxes_win32.h"
#include "base/win32/utf16_win32.h"
#include "resources/settings_ids.h"
#include "settings/schedule_rule_dialog_win32.h"
#include "settings/screens_values.h"
#include "settings/settings_pages_win32.h"
#include "settings/settings_values.h"

namespace vistelle {

namespace {

constexpr const char* kCaption = "Screens and times";
constexpr const char* kFollowMain = "Follow the main rotation";
// The background colour's swatch, in page pixels (see PageScale): right of
// its label and level with it.
constexpr SwatchRect kSwatch = {246, 115, 281, 130};
// The room left free round the monitors inside their frame, in pixels.
constexpr int kLayoutMargin = 4;

// The controls of the monitors' group, greyed together.
constexpr int kMonitorControls[] = {IDC_SCR_MONITORS_GROUP, IDC_SCR_LAYOUT_FRAME,     IDC_SCR_MONITOR_NAME,
                                    IDC_SCR_CATEGORY_LABEL, IDC_SCR_CATEGORY,         IDC_SCR_POSITION_LABEL,
                                    IDC_SCR_POSITION,       IDC_SCR_BACKGROUND_LABEL, IDC_SCR_BACKGROUND_OPTIONS,
                                    IDC_SCR_PORTRAIT};

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

void Enable(HWND page, int id, bool on) { EnableWindow(GetDlgItem(page, id), on ? TRUE : FALSE); }

int ListSelection(HWND page, int id) { return static_cast<int>(SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0)); }

ColorRef PackedColour(std::int32_t packed) { return static_cast<ColorRef>(packed) & 0x00FFFFFFu; }

struct ScreensPage : PageBase {
  using PageBase::PageBase;
  ScreensAndTimes screens;  // the page's copy, the sheet's on OK
  std::size_t selected = 0;
  POINT layout_at = {0, 0};                 // the frame's client area (see FrameClientOrigin)
  std::vector<BoxRect> boxes;               // the monitors, in the frame's client pixels
  std::vector<std::string> category_items;  // the category list after its first item
  PageSwatch swatch;

  bool EachMonitor() const { return sheet.monitor_mode_shown == kMonitorModeEach && !sheet.monitors.empty(); }
  std::int32_t SelectedPlace() const { return static_cast<std::int32_t>(selected); }
  const Monitor& SelectedMonitor() const { return sheet.monitors[selected]; }
  // Whether no other monitor now has the selected one's name: then its
  // settings follow it to another place, as the wallpaper's do.
  bool NameIsUnique() const {
    return std::count_if(sheet.monitors.begin(), sheet.monitors.end(),
                         [&](const Monitor& m) { return m.device == SelectedMonitor().device; }) == 1;
  }

  // What is set for the selected monitor, the defaults where nothing is.
  MonitorChoice Shown() const {
    if (const MonitorChoice* found = screens.Find(SelectedMonitor().device, SelectedPlace(), NameIsUnique())) return *found;
    MonitorChoice defaults;
    defaults.device = SelectedMonitor().device;
    defaults.place = SelectedPlace();
    return defaults;
  }

  // A change by the user to the selected monitor; the monitor gets a choice
  // of its own only when something really differs.
  template <typename Change>
  void ChangeSelected(Change change) {
    if (sheet.monitors.empty()) return;
    const MonitorChoice before = Shown();
    MonitorChoice after = before;
    change(after);
    if (after == before) return;
    MonitorChoice& stored = screens.FindOrAdd(SelectedMonitor().device, SelectedPlace(), NameIsUnique());
    stored.category = after.category;
    stored.position = after.position;
    stored.background = after.background;
    stored.portrait = after.portrait;
  }

  ColorRef OptionsBackground() const {
    const TConfig& s = sheet.settings;
    return MakeColorRef(s.background_r, s.background_g, s.background_b);
  }

  BOOL OnInitDialog(HWND page) {
    screens = sheet.settings.screens;
    swatch.rect = ScaleOf(page).Scale(kSwatch);
    layout_at = FrameClientOrigin(page, IDC_SCR_LAYOUT_FRAME);
    RECT frame = {};
    GetClientRect(GetDlgItem(page, IDC_SCR_LAYOUT_FRAME), &frame);
    boxes = FitMonitors(sheet.monitors, frame.right, frame.bottom, kLayoutMargin);

    std::vector<std::string> positions;
    for (const PositionItem& item : kPositionItems) positions.push_back(item.name);
    FillList(GetDlgItem(page, IDC_SCR_POSITION), positions);
    ShowMonitor(page);

    if (screens.place.known) {
      SetDlgItemTextA(page, IDC_SCR_LATITUDE, FormatDegrees(screens.place.latitude).c_str());
      SetDlgItemTextA(page, IDC_SCR_LONGITUDE, FormatDegrees(screens.place.longitude).c_str());
    }
    ShowRules(page, screens.rules.empty() ? -1 : 0);
    return TRUE;
  }

  // The selected monitor's settings into the controls.
  void ShowMonitor(HWND page) {
    if (sheet.monitors.empty()) {
      SetDlgItemTextA(page, IDC_SCR_MONITOR_NAME, "No monitors");
      EnableMonitorControls(page);
      return;
    }
    const Monitor& monitor = SelectedMonitor();
    const MonitorChoice shown = Shown();
    const std::wstring name = L"Monitor " + std::to_wstring(selected + 1) + L": " + std::to_wstring(monitor.width) +
                              L" \u00D7 " + std::to_wstring(monitor.height);
    SetDlgItemTextW(page, IDC_SCR_MONITOR_NAME, name.c_str());

    // The primary's picture is the main rotation's whatever is stored.
    category_items = sheet.categories;
    int category = 0;
    if (selected != 0 && !shown.category.empty()) {
      for (std::size_t i = 0; i < category_items.size() && category == 0; ++i)
        if (category_items[i] == shown.category) category = static_cast<int>(i) + 1;
      // A category the library no longer has still shows as stored.
      if (category == 0) {
        category_items.push_back(shown.category);
        category = static_cast<int>(category_items.size());
      }
    }
    std::vector<std::string> items = {kFollowMain};
    items.insert(items.end(), category_items.begin(), category_items.end());
    FillList(GetDlgItem(page, IDC_SCR_CATEGORY), items);
    SendDlgItemMessageW(page, IDC_SCR_CATEGORY, CB_SETCURSEL, static_cast<WPARAM>(category), 0);

    SendDlgItemMessageW(page, IDC_SCR_POSITION, CB_SETCURSEL, static_cast<WPARAM>(PositionItemOf(shown.position)), 0);
    const bool options_colour = shown.background == MonitorChoice::kOptionsPage;
    CheckDlgButton(page, IDC_SCR_BACKGROUND_OPTIONS, options_colour ? BST_CHECKED : BST_UNCHECKED);
    swatch.SetColour(options_colour ? OptionsBackground() : PackedColour(shown.background));
    swatch.Invalidate(page);
    CheckDlgButton(
        page, IDC_SCR_PORTRAIT,
        PortraitPictures(screens.Find(monitor.device, SelectedPlace(), NameIsUnique()), monitor) ? BST_CHECKED : BST_UNCHECKED);
    EnableMonitorControls(page);
  }

  void EnableMonitorControls(HWND page) {
    const bool on = EachMonitor();
    for (int id : kMonitorControls) Enable(page, id, on);
    Enable(page, IDC_SCR_CATEGORY, on && selected != 0);
    RECT frame = {};
    GetWindowRect(GetDlgItem(page, IDC_SCR_LAYOUT_FRAME), &frame);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&frame), 2);
    InvalidateRect(page, &frame, TRUE);
    swatch.Invalidate(page);
  }

  // The rules into the list, the given line selected (-1 none).
  void ShowRules(HWND page, int select) {
    const HWND list = GetDlgItem(page, IDC_SCR_RULES);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    // A line longer than the list (a long category name) can be scrolled to.
    const win32::WindowDc dc(list);
    const win32::ScopedSelect font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    for (const ScheduleRule& rule : screens.rules) {
      const std::wstring line = win32::Widen(RuleText(rule));
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
      SIZE extent = {};
      if (dc && GetTextExtentPoint32W(dc.Get(), line.c_str(), static_cast<int>(line.size()), &extent))
        widest = extent.cx > widest ? extent.cx : widest;
    }
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 4), 0);
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
    EnableRuleButtons(page);
  }

  int SelectedRule(HWND page) const {
    const LRESULT line = SendDlgItemMessageW(page, IDC_SCR_RULES, LB_GETCURSEL, 0, 0);
    return line >= 0 && static_cast<std::size_t>(line) < screens.rules.size() ? static_cast<int>(line) : -1;
  }

  void EnableRuleButtons(HWND page) {
    const int line = SelectedRule(page);
    const int count = static_cast<int>(screens.rules.size());
    Enable(page, IDC_SCR_ADD, screens.rules.size() < ScreensAndTimes::kMaxRules);
    Enable(page, IDC_SCR_EDIT, line >= 0);
    Enable(page, IDC_SCR_REMOVE, line >= 0);
    Enable(page, IDC_SCR_UP, line > 0);
    Enable(page, IDC_SCR_DOWN, line >= 0 && line + 1 < count);
  }

  void OnRuleCommand(HWND page, int id) {
    const int line = SelectedRule(page);
    std::vector<ScheduleRule>& rules = screens.rules;
    if (id == IDC_SCR_ADD) {
      if (rules.size() >= ScreensAndTimes::kMaxRules) return;
      ScheduleRule fresh;
      if (!sheet.categories.empty()) fresh.category = sheet.categories.front();
      fresh.from = DayTime{DayTime::Kind::kClock, 9 * 60};
      fresh.to = DayTime{DayTime::Kind::kClock, 17 * 60};
      if (const std::optional<ScheduleRule> made = RunScheduleRuleDialog(page, fresh, sheet.categories)) {
        rules.push_back(*made);
        ShowRules(page, static_cast<int>(rules.size()) - 1);
      }
      return;
    }
    if (line < 0) return;
    const std::size_t at = static_cast<std::size_t>(line);
    if (id == IDC_SCR_EDIT) {
      if (const std::optional<ScheduleRule> edited = RunScheduleRuleDialog(page, rules[at], sheet.categories)) {
        rules[at] = *edited;
        ShowRules(page, line);
      }
    } else if (id == IDC_SCR_REMOVE) {
      rules.erase(rules.begin() + line);
      ShowRules(page, at < rules.size() ? line : static_cast<int>(rules.size()) - 1);
    } else if (id == IDC_SCR_UP && line > 0) {
      std::swap(rules[at], rules[at - 1]);
      ShowRules(page, line - 1);
    } else if (id == IDC_SCR_DOWN && at + 1 < rules.size()) {
      std::swap(rules[at], rules[at + 1]);
      ShowRules(page, line + 1);
    }
  }

  void OnCommand(HWND page, int id, int code) {
    switch (id) {
      case IDC_SCR_ADD:
      case IDC_SCR_EDIT:
      case IDC_SCR_REMOVE:
      case IDC_SCR_UP:
      case IDC_SCR_DOWN:
        if (code == BN_CLICKED) OnRuleCommand(page, id);
        return;
      case IDC_SCR_RULES:
        if (code == LBN_SELCHANGE) EnableRuleButtons(page);
        if (code == LBN_DBLCLK) OnRuleCommand(page, IDC_SCR_EDIT);
        return;
      default:
        break;
    }
    if (!EachMonitor()) return;
    if (id == IDC_SCR_CATEGORY && code == CBN_SELCHANGE) {
      const int item = ListSelection(page, id);
      if (item < 0 || static_cast<std::size_t>(item) > category_items.size()) return;
      ChangeSelected([&](MonitorChoice& c) {
        c.category = item == 0 ? std::string() : category_items[static_cast<std::size_t>(item) - 1];
      });
    } else if (id == IDC_SCR_POSITION && code == CBN_SELCHANGE) {
      const int item = ListSelection(page, id);
      if (item < 0 || item >= kPositionItemCount) return;
      ChangeSelected([&](MonitorChoice& c) { c.position = kPositionItems[item].position; });
    } else if (id == IDC_SCR_BACKGROUND_OPTIONS && code == BN_CLICKED) {
      // Unticked, the monitor keeps the colour it shows as its own.
      const bool options_colour = Checked(page, id);
      ChangeSelected([&](MonitorChoice& c) {
        c.background = options_colour ? MonitorChoice::kOptionsPage : static_cast<std::int32_t>(swatch.colour);
      });
      if (options_colour) swatch.SetColour(OptionsBackground());
      swatch.Invalidate(page);
    } else if (id == IDC_SCR_PORTRAIT && code == BN_CLICKED) {
      const bool on = Checked(page, id);
      ChangeSelected([&](MonitorChoice& c) { c.portrait = on ? 1 : 0; });
    }
  }

  // A click on a monitor selects it; one on the swatch asks for the
  // monitor's own background colour.
  void OnLButtonUp(HWND page, POINT at) {
    if (!EachMonitor()) return;
    const int hit = MonitorAtPoint(boxes, at.x - layout_at.x, at.y - layout_at.y);
    if (hit >= 0 && static_cast<std::size_t>(hit) < sheet.monitors.size()) {
      if (static_cast<std::size_t>(hit) == selected) return;
      selected = static_cast<std::size_t>(hit);
      ShowMonitor(page);
      return;
    }
    if (!swatch.rect.Contains(at.x, at.y)) return;
    ColorRef colour = swatch.colour;
    ChooseColour(colour, page);
    if (colour == swatch.colour) return;  // cancelled, or the same colour again
    ChangeSelected([&](MonitorChoice& c) { c.background = static_cast<std::int32_t>(colour); });
    swatch.SetColour(colour);
    CheckDlgButton(page, IDC_SCR_BACKGROUND_OPTIONS, BST_UNCHECKED);
    swatch.Invalidate(page);
  }

  void OnPaint(HWND, HDC dc) {
    const bool on = EachMonitor();
    if (on) {
      swatch.Paint(dc);
    } else {
      const RECT outline = {swatch.rect.left, swatch.rect.top, swatch.rect.right, swatch.rect.bottom};
      FrameRect(dc, &outline, GetSysColorBrush(COLOR_GRAYTEXT));
    }
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(WindowFromDC(dc), WM_GETFONT, 0, 0));
    const win32::ScopedSelect selected_font(dc, font);
    SetBkMode(dc, TRANSPARENT);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const BoxRect& b = boxes[i];
      // One pixel less on the right and at the bottom, so that monitors
      // side by side show apart.
      RECT r = {layout_at.x + b.left, layout_at.y + b.top, layout_at.x + b.right - 1, layout_at.y + b.bottom - 1};
      if (r.right <= r.left) r.right = r.left + 1;
      if (r.bottom <= r.top) r.bottom = r.top + 1;
      const bool marked = i == selected;
      const int fill = !on ? COLOR_BTNFACE : marked ? COLOR_HIGHLIGHT : COLOR_WINDOW;
      const int ink = !on ? COLOR_GRAYTEXT : marked ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT;
      FillRect(dc, &r, GetSysColorBrush(fill));
      FrameRect(dc, &r, GetSysColorBrush(!on ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
      if (!on && marked) {
        RECT inner = r;
        InflateRect(&inner, -1, -1);
        FrameRect(dc, &inner, GetSysColorBrush(COLOR_GRAYTEXT));
      }
      SetTextColor(dc, GetSysColor(ink));
      const std::wstring number = std::to_wstring(i + 1);
      DrawTextW(dc, number.c_str(), static_cast<int>(number.size()), &r,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
  }

  // The Options page may have changed the monitor mode meanwhile.
  void OnSetActive(HWND page) { EnableMonitorControls(page); }

  // The place must read before the page is left or OK closes the sheet.
  bool OnKillActive(HWND page) {
    const PlaceReading reading = ReadPlace(ControlText(GetDlgItem(page, IDC_SCR_LATITUDE)),
                                           ControlText(GetDlgItem(page, IDC_SCR_LONGITUDE)), screens.place);
    if (reading == PlaceReading::kRead) return true;
    int field = IDC_SCR_LATITUDE;
    std::string text;
    switch (reading) {
      case PlaceReading::kBadLatitude:
        text = "The latitude is in decimal degrees from -90 (south) to 90 (north), for example 52.2297.";
        break;
      case PlaceReading::kBadLongitude:
        field = IDC_SCR_LONGITUDE;
        text = "The longitude is in decimal degrees from -180 (west) to 180 (east), for example 21.0122.";
        break;
      default:
        if (ControlText(GetDlgItem(page, IDC_SCR_LONGITUDE)).find_first_not_of(" \t") == std::string::npos)
          field = IDC_SCR_LONGITUDE;
        text = "Give both the latitude and the longitude, or leave both empty.";
        break;
    }
    win32::MessageBoxes::Show(page, text, kCaption, MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(page, field));
    SendDlgItemMessageW(page, field, EM_SETSEL, 0, -1);
    return false;
  }

  void OnApply(HWND page) {
    // Read when the page was left; a place that does not read keeps the last.
    ReadPlace(ControlText(GetDlgItem(page, IDC_SCR_LATITUDE)), ControlText(GetDlgItem(page, IDC_SCR_LONGITUDE)),
              screens.place);
    sheet.settings.screens = screens;
  }
};

}  // namespace

INT_PTR CALLBACK ScreensPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  return PageProcedure<ScreensPage>(page, message, wparam, lparam);
}

}  // namespace vistelle
