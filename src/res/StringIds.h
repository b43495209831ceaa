#pragma once
// Ids of the framework's standard strings that Kelu's string table carries besides those of
// res/resource.h: the idle text of the status bar and the texts of the document commands.

#define AFX_IDS_IDLEMESSAGE 57345
#define AFX_IDS_OPENFILE 61440        // caption of the open dialog
#define AFX_IDS_SAVEFILE 61441        // caption of the save dialog
#define AFX_IDS_ALLFILTER 61442       // the file dialogs' one filter
#define AFX_IDS_UNTITLED 61443        // the name a document without a file is saved under
#define AFX_IDP_FAILED_TO_OPEN_DOC 61700
#define AFX_IDP_FAILED_TO_SAVE_DOC 61701
#define ID_INDICATOR_EXT 59136
#define ID_INDICATOR_OVR 59140
#define ID_INDICATOR_REC 59141
#define ID_FILE_CLOSE 57602
#define ID_FILE_SAVE_AS 57604
#define ID_FILE_PAGE_SETUP 57605
#define ID_EDIT_CLEAR 57632
#define ID_EDIT_SELECT_ALL 57642
#define ID_EDIT_REDO 57644
