// The skin description, skin.ini: which pictures make up the main window and
// which buttons and text labels sit on it. The reading of the values is left
// to a reader (the private-profile functions on Windows, the INI document
// class natively); this file holds the grammar of the values.
//
//   [SCREEN]      Main, Mask, Down, Over, Disabled: picture files, relative
//                 to the skin folder. Mask, Down, Over and Disabled default
//                 to the Main picture. Main@N, Mask@N, Down@N: the same
//                 drawn at a scaling of N per cent (skin/skin_scale.h).
//   [BUTTONINFO]  1=name,x,y,width,height,tooltip
//   [TEXTINFO]    1=name,face,-,-,font height,colour,x,y,width,height,text,tooltip
//
// Entries are numbered from 1; reading stops at the first number without a
// value. Fields are split the way strtok splits at ',' (a run of commas is
// one separator, leading and trailing commas are skipped, so no field is
// empty and a text cannot hold a comma) and numbers are read the way atoi
// reads them.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "image/image.h"

namespace vistelle {

// Longest value the reader hands over, and longest path of a skin picture
// (the buffers of the Windows profile and file functions, less the zero).
constexpr std::size_t kSkinValueMax = 2047;
constexpr std::size_t kSkinPathMax = 259;

struct SkinButtonEntry {
  std::string name;  // window class, window title, and what the button reports
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::string tooltip;
};

struct SkinTextEntry {
  std::string name;  // window class and window title of the label
  std::string face;
  int font_height = 0;
  ColorRef colour = 0;
  int x = 0;  // as written; the label window sits 6 pixels further right
  int y = 0;
  int width = 0;
  int height = 0;
  std::string text;
  std::string tooltip;
};

// The [SCREEN] values after their defaults were applied; empty when there is
// no picture (no Main value).
struct SkinScreen {
  std::string main;
  std::string mask;
  std::string down;
  std::string over;
  std::string disabled;
};

// The pictures of [SCREEN] drawn at another scaling ("Main@150" and so
// on, see skin/skin_scale.h); a picture not named is resampled from the
// 100 % one.
struct ScaledSkinScreen {
  int scale = 100;
  std::string main;
  std::string mask;
  std::string down;
};

struct SkinDescription {
  SkinScreen screen;
  // Only the scales that name a Main picture, smallest first.
  std::vector<ScaledSkinScreen> scaled;
  std::vector<SkinButtonEntry> buttons;
  std::vector<SkinTextEntry> texts;
};

// Answers the value of key in section as the profile reader returns it
// (blanks around it removed); empty when the key is missing.
using SkinValueReader = std::function<std::string(const std::string& section, const std::string& key)>;

// The fields of a value, split at commas as strtok does.
std::vector<std::string> SplitSkinFields(const std::string& value);

// A number as atoi reads it: leading blanks, an optional sign, the digits up
// to the first other character; 0 without digits. Values beyond the range of
// int stop at its ends.
int SkinNumber(const std::string& field);

// One [BUTTONINFO] or [TEXTINFO] value; nothing when it has fewer fields than
// an entry needs. Fields beyond the last one used are ignored.
std::optional<SkinButtonEntry> ParseButtonEntry(const std::string& value);
std::optional<SkinTextEntry> ParseTextEntry(const std::string& value);

// Reads the whole description. Incomplete entries are left out; the entries
// after them are still read.
SkinDescription ReadSkinDescription(const SkinValueReader& read);

// The folder of a skin file: the path up to and with its last backslash or
// slash (the whole path when it has none), at most kSkinPathMax characters.
std::string SkinFolderOf(const std::string& skin_file);

// The path of a picture named in the description: folder and value joined
// without a separator, cut to kSkinPathMax characters.
std::string SkinPicturePath(const std::string& folder, const std::string& value);

}  // namespace vistelle
