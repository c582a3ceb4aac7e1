// The viewer's window class, the ids of its controls and menu commands, and the WM_COPYDATA
// requests by which a script or another program has it open, compare, save or print without
// asking through its dialogs. Its tests drive it by these.
#pragma once

#define VIEWER_CLASS L"TktViewWindow"

// Controls: their text is what the window shows.
#define IDC_PLUGIN 101      // the plug-in's path
#define IDC_COMPARED 102    // the compared plug-in's path, or empty
#define IDC_RECORD 103      // the information record
#define IDC_DESCRIPTION 104 // the description (read-only edit)
#define IDC_ENTRIES 105     // the list entries (combo box)
#define IDC_NUMBER 106      // the ticket number (edit)
#define IDC_STATUS 107      // what happened last: results, faults, comparisons
#define IDC_PICTURE 108     // the picture

// Menu commands (WM_COMMAND).
#define IDM_OPEN 201
#define IDM_COMPARE 202
#define IDM_CLOSE_COMPARE 203
#define IDM_SAVE 204
#define IDM_COPY 205
#define IDM_PRINT 206
#define IDM_EXIT 207
#define IDM_TICKET 211
#define IDM_SHEET 212
#define IDM_ONE_BIT 213
#define IDM_ZOOM_1 221
#define IDM_ZOOM_2 222
#define IDM_ZOOM_4 224
#define IDM_ZOOM_FIT 220
// Tickets per printed page: IDM_PER_PAGE + n, n = 0 for as many as fit.
#define IDM_PER_PAGE 230
#define IDM_PER_PAGE_LAST 240

// WM_COPYDATA requests: dwData names the request, the data is UTF-16 text without its zero.
// The reply is 1 when the request was carried out, 0 when not (the window says why).
#define VIEWER_OPEN 1    // the plug-in file's path
#define VIEWER_COMPARE 2 // the second plug-in file's path
#define VIEWER_SAVE 3    // the path to save the shown picture to (.png or .bmp)
// "PRINTER|OUTPUT FILE|FIRST|LAST|PER PAGE": prints as the print dialog would, into the file
// when it is not empty.
#define VIEWER_PRINT 4
