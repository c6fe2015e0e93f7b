// The Effects page: the ten effect boxes, the amounts of brightness,
// contrast and noise, the colorize colour and a live preview of the sample
// picture with the ticked effects applied. The trackbars store their
// amounts as soon as a thumb is released; the boxes and the colour only on
// OK.
#include <windows.h>

#include <commctrl.h>

#include "base/paths.h"
#include "render/effects.h"
#include "image/image.h"
#include "resources/settings_ids.h"
#include "settings/settings_pages_win32.h"
#include "settings/settings_values.h"

namespace vistelle {

namespace {

// The colorize colour's swatch, in page pixels (see PageScale).
constexpr SwatchRect kSwatch = {120, 22, 160, 42};

struct EffectBox {
  int id;
  std::uint8_t TConfig::*flag;
};
constexpr EffectBox kBoxes[] = {
    {IDC_FX_COLORIZE, &TConfig::colorize},   {IDC_FX_LIGHTEN, &TConfig::lighten},
    {IDC_FX_GRAY, &TConfig::gray},           {IDC_FX_PSEUDOCOLORS, &TConfig::pseudocolors},
    {IDC_FX_CONTRAST, &TConfig::contrast},   {IDC_FX_BLUR, &TConfig::blur},
    {IDC_FX_SHARPEN, &TConfig::sharpen},     {IDC_FX_NEGATIVE, &TConfig::negativ},
    {IDC_FX_SMARTBLUR, &TConfig::smartblur}, {IDC_FX_NOISE, &TConfig::noise},
};

struct Amount {
  int id;
  int minimum;
  int maximum;
  std::int32_t TConfig::*value;
};
constexpr Amount kAmounts[] = {
    {IDC_FX_LIGHTEN_AMOUNT, -255, 255, &TConfig::lighten_int},
    {IDC_FX_CONTRAST_AMOUNT, -100, 100, &TConfig::contrast_int},
    {IDC_FX_NOISE_AMOUNT, 0, 255, &TConfig::noise_int},
};

// The page's effects, made the first time the page runs, kept for the run.
const TEffects& PageEffects() {
  static const TEffects effects;
  return effects;
}

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

struct EffectsPage : PageBase {
  using PageBase::PageBase;
  PageSwatch swatch;
  POINT preview_at = {0, 0};  // the frame's client area (see FrameClientOrigin)
  Image sample;   // the sample picture as loaded
  Image preview;  // the sample with the ticked effects

  // The preview anew from the untouched sample, so effects never pile up.
  void Recompute(HWND page) {
    preview.Copy(sample);
    PreviewEffects ticks;
    ticks.negative = Checked(page, IDC_FX_NEGATIVE);
    ticks.gray = Checked(page, IDC_FX_GRAY);
    ticks.lighten = Checked(page, IDC_FX_LIGHTEN);
    ticks.contrast = Checked(page, IDC_FX_CONTRAST);
    ticks.blur = Checked(page, IDC_FX_BLUR);
    ticks.sharpen = Checked(page, IDC_FX_SHARPEN);
    ticks.smartblur = Checked(page, IDC_FX_SMARTBLUR);
    ticks.noise = Checked(page, IDC_FX_NOISE);
    ticks.pseudocolors = Checked(page, IDC_FX_PSEUDOCOLORS);
    ticks.colorize = Checked(page, IDC_FX_COLORIZE);
    ApplyPreviewEffects(PageEffects(), preview, ticks, sheet.settings, swatch.colour);
    InvalidateRect(page, nullptr, TRUE);
  }

  BOOL OnInitDialog(HWND page) {
    PageEffects();
    const TConfig& settings = sheet.settings;
    for (const Amount& amount : kAmounts) {
      SendDlgItemMessageA(page, amount.id, TBM_SETRANGEMIN, TRUE, amount.minimum);
      SendDlgItemMessageA(page, amount.id, TBM_SETRANGEMAX, TRUE, amount.maximum);
      SendDlgItemMessageA(page, amount.id, TBM_SETPOS, TRUE, settings.*amount.value);
    }
    for (const EffectBox& box : kBoxes)
      if (settings.*box.flag) CheckDlgButton(page, box.id, BST_CHECKED);

    const PageScale scale = ScaleOf(page);
    swatch.rect = scale.Scale(kSwatch);
    preview_at = FrameClientOrigin(page, IDC_FX_PREVIEW_FRAME);
    // A missing sample leaves the preview empty; the page works otherwise.
    sample.Load(JoinPath(sheet.program_folder, kSamplePicture));

    swatch.SetColour(TEffects::PackColorize(settings.colorize_r, settings.colorize_g, settings.colorize_b));
    Recompute(page);
    return TRUE;
  }

  void OnCommand(HWND page, int, int) { Recompute(page); }

  void OnPaint(HWND page, HDC dc) {
    swatch.Paint(dc);
    DrawPreview(page, dc, IDC_FX_PREVIEW_FRAME, preview_at, preview);
  }

  // Only a released thumb counts: moves by keyboard, by clicks in the
  // channel or during the drag are not taken.
  void OnHScroll(HWND page, int request, HWND bar) {
    if (request != TB_THUMBPOSITION || bar == nullptr) return;
    for (const Amount& amount : kAmounts) {
      if (bar != GetDlgItem(page, amount.id)) continue;
      sheet.settings.*amount.value = static_cast<std::int32_t>(SendMessageA(bar, TBM_GETPOS, 0, 0));
      Recompute(page);
      return;
    }
  }

  void OnLButtonUp(HWND page, POINT at) {
    if (swatch.ChooseAt(at, page)) Recompute(page);
  }

  void OnApply(HWND page) {
    TConfig& settings = sheet.settings;
    for (const EffectBox& box : kBoxes) settings.*box.flag = Checked(page, box.id) ? 1 : 0;
    settings.colorize_r = ColorRefRed(swatch.colour);
    settings.colorize_g = ColorRefGreen(swatch.colour);
    settings.colorize_b = ColorRefBlue(swatch.colour);
  }

  bool OnClose() {
    sample.Clear();
    preview.Clear();
    return true;
  }
};

}  // namespace

INT_PTR CALLBACK EffectsPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  return PageProcedure<EffectsPage>(page, message, wparam, lparam);
}

}  // namespace vistelle
