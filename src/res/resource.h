#pragma once
// Every numeric id of Kelu: commands, resources, dialog templates and their controls. The
// numbers are the program's external face (menu, toolbar, accelerators, dialog controls) and
// never change; the names are those a Windows resource script would give them.

// Resources
#define IDR_MAINFRAME 128             // menu, accelerators, icon, toolbar, document string
#define IDD_ABOUTBOX 100
#define IDD_KELU_FORM 101
#define IDP_SOCKETS_INIT_FAILED 104
#define IDD_DOWNLOAD 131
#define IDD_ADD_FAVORITE 133
#define IDD_ORGANIZE_FAVORITES 134

// Standard dialog button ids
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#define IDHELP 9                      // also the command of "ﾍﾙﾌﾟ(&H)"

// Controls of the form (template 101)
#define IDC_RACE1 1000                // race r (2..12) is 1001 + r
#define IDC_DATE 1001
#define IDC_RACE_LIST 1002
#define IDC_RACE2 1003
#define IDC_RACE12 1013
#define IDC_VENUE1 1014               // venue k (2..24) is 1014 + k
#define IDC_VENUE_LIST 1015
#define IDC_VENUE2 1016
#define IDC_VENUE24 1038
#define IDC_TITLE_RACE 1042
#define IDC_TITLE_VENUE 1043
#define IDC_PREV_DAY 1044
#define IDC_NEXT_DAY 1045
#define IDC_TAB 1046
#define IDC_GRID_PROGRAM 1047
#define IDC_GRID_LOWER 1049

// Controls of the other dialogs
#define IDC_LOG 1041                  // download progress log (template 131)
#define IDC_REGNO 1041                // registration number field (template 133)
#define IDC_FAVORITE_LIST 1054        // template 134
#define IDC_FAVORITE_DELETE 1055
#define IDC_FAVORITE_UP 1056
#define IDC_FAVORITE_DOWN 1057

// Commands of the framework's standard set
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_SAVE 57603
#define ID_FILE_PRINT_SETUP 57606
#define ID_FILE_PRINT 57607
#define ID_FILE_PRINT_DIRECT 57608
#define ID_FILE_PRINT_PREVIEW 57609
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_UNDO 57643
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681

// Kelu's own commands
#define ID_FILE_DOWNLOAD_TODAY 57610
#define ID_FILE_DOWNLOAD_WEEK 57611
#define ID_FILE_PRINT_RACE 57612
#define ID_FILE_PREVIEW_ALL 57613
#define ID_FILE_PREVIEW_RACE 57614
#define ID_FILE_PRINT_ALL 32776
#define ID_FAVORITE_ADD 32772
#define ID_FAVORITE_ORGANIZE 32773
#define ID_FILE_PREDICTION_RECORD 32790 // how the predictions fared over the days on disk
#define ID_VIEW_ZOOM_IN 32800          // the window and the form one step larger
#define ID_VIEW_ZOOM_OUT 32801         // one step smaller
#define ID_VIEW_ZOOM_RESET 32802       // back to the standard size
#define ID_FILE_SETTINGS 32810         // the data server and the racer schedule page
#define ID_FILE_DOWNLOAD_PERIOD 32811  // the days from one date to another
#define ID_FAVORITE_RACER_RECORD 32812 // a racer's record over the stored days, by number
#define ID_FILE_UPDATE_HISTORY 32813   // the history store brought up to date with the day files
#define ID_FILE_FIT_FORECAST 32814     // a new forecast model fitted on the stored races

// The watched-racer menu: racer i (0..255) has these three items
#define ID_FAVORITE_SCHEDULE_FIRST 33000 // "あっせん予定", 33000 + i
#define ID_FAVORITE_RACE1_FIRST 33257    // first race, 33257 + i
#define ID_FAVORITE_RACE2_FIRST 33514    // second and later races, 33514 + i
#define ID_FAVORITE_FIRST 33000          // the whole range the view claims
#define ID_FAVORITE_LAST 33770
// Each watched racer's "選手の成績", 34000 + i, beside the range above.
#define ID_FAVORITE_RECORD_FIRST 34000
#define ID_FAVORITE_RECORD_LAST 34255

// Status bar indicators
#define ID_INDICATOR_CAPS 59137
#define ID_INDICATOR_NUM 59138
#define ID_INDICATOR_SCRL 59139
#define ID_INDICATOR_KANA 59142
#define ID_SEPARATOR 0

// Strings
#define IDS_APP_TITLE 57344
