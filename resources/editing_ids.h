// Resource and control ids of the About box, the New-category dialog and
// the picture chooser's panel (resources/editing.rc), shared with the code.
#pragma once

// New-category dialog.
#define IDD_NEW_CATEGORY 115
#define IDC_NEW_CATEGORY_NAME 1000

// About box.
#define IDD_ABOUT 116
#define IDC_ABOUT_TEXT 1000
#define IDC_ABOUT_LOGO 1018

// The panel the picture chooser adds to the open-file dialog.
#define IDD_PICTURE_CHOOSER 121
#define IDC_CHOOSER_SHOW_THUMB 1021
#define IDC_CHOOSER_WIDTH 1022
#define IDC_CHOOSER_HEIGHT 1023
#define IDC_CHOOSER_THUMB 1024
// The panel shows the program's picture icon (resources/app.rc).
#define IDI_CHOOSER_PICTURE 129
