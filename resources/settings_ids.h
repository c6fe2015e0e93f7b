// Resource and control ids of the settings sheet's pages and of the
// schedule rule dialog (resources/settings.rc), shared with the code in
// settings/.
#pragma once

// The sheet's icon (resources/app.rc).
#define IDI_SETTINGS_SHEET 126

// Options page.
#define IDD_OPTIONS_PAGE 101
#define IDC_OPT_STRETCH 1001
#define IDC_OPT_TILED 1002
#define IDC_OPT_CENTER 1003
#define IDC_OPT_AT_START 1004
#define IDC_OPT_EVERY 1005
#define IDC_OPT_SEQUENCE 1006
#define IDC_OPT_RANDOM 1007
#define IDC_OPT_RUN_AT_START 1025
#define IDC_OPT_AMOUNT 1027
#define IDC_OPT_AMOUNT_SPIN 1028
#define IDC_OPT_FILL 1042
#define IDC_OPT_FIT 1043
#define IDC_OPT_NO_REPEAT 1044
#define IDC_OPT_MONITORS_SPAN 1045
#define IDC_OPT_MONITORS_EACH 1046
#define IDC_OPT_MONITORS_PRIMARY 1047
#define IDC_OPT_WAIT_FULLSCREEN 1048
#define IDC_OPT_WAIT_BATTERY 1049
#define IDC_OPT_WAIT_REMOTE 1050
// Made by the page at run time, not in the template.
#define IDC_OPT_UNIT 119
#define IDI_OPTIONS_PAGE 127

// Effects page.
#define IDD_EFFECTS_PAGE 102
#define IDC_FX_PREVIEW_FRAME 1008
#define IDC_FX_LIGHTEN 1013
#define IDC_FX_CONTRAST 1015
#define IDC_FX_BLUR 1016
#define IDC_FX_SHARPEN 1017
#define IDC_FX_NEGATIVE 1018
#define IDC_FX_SMARTBLUR 1019
#define IDC_FX_NOISE 1020
#define IDC_FX_PSEUDOCOLORS 1021
#define IDC_FX_COLORIZE 1022
#define IDC_FX_LIGHTEN_AMOUNT 1031
#define IDC_FX_CONTRAST_AMOUNT 1032
#define IDC_FX_NOISE_AMOUNT 1033
#define IDC_FX_GRAY 1041
#define IDI_EFFECTS_PAGE 130

// Calendar page. The nine position buttons, top-left to bottom-right, are
// 1001 and 1010 to 1017.
#define IDD_CALENDAR_PAGE 110
#define IDC_CAL_POSITION_0 1001
#define IDC_CAL_POSITION_1 1010
#define IDC_CAL_POSITION_2 1011
#define IDC_CAL_POSITION_3 1012
#define IDC_CAL_POSITION_4 1013
#define IDC_CAL_POSITION_5 1014
#define IDC_CAL_POSITION_6 1015
#define IDC_CAL_POSITION_7 1016
#define IDC_CAL_POSITION_8 1017
#define IDC_CAL_ACTIVE 1021
#define IDC_CAL_FROM_FILE 1030
#define IDC_CAL_ALPHA 1031
#define IDC_CAL_PREVIEW_FRAME 1036
#define IDC_CAL_SHADOW 1038
// Made by the page at run time, not in the template.
#define IDC_CAL_BACKGROUND 119
#define IDI_CALENDAR_PAGE 128

// Screens and times page.
#define IDD_SCREENS_PAGE 111
#define IDC_SCR_MONITORS_GROUP 1101
#define IDC_SCR_LAYOUT_FRAME 1102
#define IDC_SCR_MONITOR_NAME 1103
#define IDC_SCR_CATEGORY_LABEL 1104
#define IDC_SCR_CATEGORY 1105
#define IDC_SCR_POSITION_LABEL 1106
#define IDC_SCR_POSITION 1107
#define IDC_SCR_BACKGROUND_LABEL 1108
#define IDC_SCR_BACKGROUND_OPTIONS 1109
#define IDC_SCR_PORTRAIT 1110
#define IDC_SCR_MODE_NOTE 1111
#define IDC_SCR_RULES 1120
#define IDC_SCR_ADD 1121
#define IDC_SCR_EDIT 1122
#define IDC_SCR_REMOVE 1123
#define IDC_SCR_UP 1124
#define IDC_SCR_DOWN 1125
#define IDC_SCR_LATITUDE 1126
#define IDC_SCR_LONGITUDE 1127

// The schedule rule dialog of the Screens and times page. The seven day
// boxes, Monday to Sunday, are 1210 to 1216.
#define IDD_SCHEDULE_RULE 112
#define IDC_RULE_CATEGORY 1201
#define IDC_RULE_FROM_KIND 1202
#define IDC_RULE_FROM_TIME 1203
#define IDC_RULE_FROM_UNIT 1204
#define IDC_RULE_TO_KIND 1205
#define IDC_RULE_TO_TIME 1206
#define IDC_RULE_TO_UNIT 1207
#define IDC_RULE_MONDAY 1210
