#pragma once
// The editor's shell resources as data: the menu bar, the keyboard accelerators, the toolbar
// buttons, the status-bar prompts and tool tips, the application's texts and settings keys. The Qt
// frame builds its menus, actions and shortcuts from these tables and from nothing else.

#include <span>

#include "CommandIds.h"

namespace pictoma::shell {

// The application's title, as it ends every frame title and heads every message box.
inline constexpr const char* kAppTitle = "Pictoma";
// The message pane's text while no menu item or button is highlighted.
inline constexpr const char* kIdlePrompt = "press F1 if need help";
// The About box.
inline constexpr const char* kAboutCaption = "About Pictoma";
inline constexpr const char* kAboutVersion = "Pictoma version 1.0 ";
inline constexpr const char* kAboutCopyright = "Copyright (C) The Pictoma developers";
// The help file that Topics opens, a name relative to the current directory.
inline constexpr const char* kHelpFile = "readme.txt";
// The width of the status bar's second pane is the width of this text (40 blanks).
inline constexpr const char* kIndicatorWidthText = "                                        ";

// The per-user settings store: the organisation and application names the store is filed under,
// and the recent-file list's section and value names ("File1" .. "File4").
inline constexpr const char* kSettingsOrganization = "Local AppWizard-Generated Applications";
inline constexpr const char* kSettingsApplication = "Pictoma";
inline constexpr const char* kRecentFileSection = "Recent File List";
inline constexpr const char* kRecentFileEntry = "File%1";
inline constexpr int kRecentFileCount = 4;

// The File Open dialog's filters: the document type's own, then every file.
inline constexpr const char* kOpenFilterBmp = "Pictom file(*.bmp)";
inline constexpr const char* kOpenFilterAll = "所有文件 (*.*)";
inline constexpr const char* kOpenFilterSource = "Source text (*.txt *.c *.h *.bas)";

// The per-user settings of the canvas: its zoom (the cell size in screen pixels).
inline constexpr const char* kZoomSetting = "Canvas/CellSize";

// The File menu's placeholder for the recent-file list while the list is empty.
inline constexpr const char* kRecentFilesText = "Recent files";

// One menu item: its command id and text ("\t" separates the shortcut label); id 0 is a separator.
struct MenuItemDef {
    CommandId id;
    const char* text;
};

// One drop-down menu of the menu bar.
struct MenuDef {
    const char* title;
    std::span<const MenuItemDef> items;
};

inline constexpr MenuItemDef kFileMenu[] = {
    {cmd::kFileNew, "New(&N)\tCtrl+N"},
    {cmd::kFileOpen, "Open(&O)...\tCtrl+O"},
    {cmd::kFileImport, "Import Picture...(&I)\tCtrl+I"},
    {cmd::kFileSave, "Save(&S)\tCtrl+S"},
    {cmd::kFileExport, "Export(&E)\tCtrl+T"},
    {0, nullptr},
    {cmd::kFileRecent1, kRecentFilesText},  // greyed until the recent-file list replaces it
    {0, nullptr},
    {cmd::kAppExit, "Exit(&X)"},
};

inline constexpr MenuItemDef kEditMenu[] = {
    {cmd::kEditUndo, "Undo(&U)\tCtrl+Z"},
    {cmd::kEditRedo, "Redo(&O)\tCtrl+Y"},
    {0, nullptr},
    {cmd::kEditCopy, "Copy(&Y)"},
    {cmd::kEditPaste, "Paste(&P)\tCtrl+V"},
    {cmd::kEditInvert, "Invert(&I)"},
    {0, nullptr},
    {cmd::kEditResize, "Resize(&R)\tCtrl+R"},
    {cmd::kEditCrop, "Crop(&C)\tCtrl+C"},
    {0, nullptr},
    {cmd::kEditReset, "Reset(&E)\tCtrl+E"},
    {0, nullptr},
    {cmd::kThresholdIncrease, "Increase Threshold"},
    {cmd::kThresholdDecrease, "Decrease Threshold"},
    {cmd::kThresholdSet, "Set Threshold"},
};

inline constexpr MenuItemDef kViewMenu[] = {
    {cmd::kViewToolbar, "Toolbar(&T)"},
    {cmd::kViewStatusBar, "Statusbar(&S)"},
    {cmd::kWindowSplit, "Splite(&P)"},
    {0, nullptr},
    {cmd::kViewZoomIn, "Zoom In\tCtrl++"},
    {cmd::kViewZoomOut, "Zoom Out\tCtrl+-"},
    {cmd::kViewActualSize, "Actual Size\tCtrl+0"},
};

inline constexpr MenuItemDef kToolMenu[] = {
    {cmd::kToolPen, "Pen"},   {cmd::kToolRubber, "Rubber"},
    {cmd::kToolLine, "Line"}, {cmd::kToolRectangle, "Rectangle"},
    {cmd::kToolFill, "Fill"},
};

inline constexpr MenuItemDef kHelpMenu[] = {
    {cmd::kAppAbout, "About (&A)..."},
    {cmd::kHelpTopics, "Topics"},
};

inline constexpr MenuDef kMenuBar[] = {
    {"File(&F)", kFileMenu}, {"Edit(&E)", kEditMenu}, {"View(&V)", kViewMenu},
    {"Tool(&T)", kToolMenu}, {"Help(&H)", kHelpMenu},
};

// One keyboard accelerator: the key in the portable text form of a key sequence, and its command.
struct AcceleratorDef {
    const char* key;
    CommandId id;
};

// The whole accelerator table. The menu texts' shortcut labels are labels only: Ctrl+R, Ctrl+E and
// Ctrl+T are bound to nothing, and Ctrl+C is the clipboard's Copy, not Crop. Cut has no handler,
// so its keys do nothing.
inline constexpr AcceleratorDef kAccelerators[] = {
    {"Ctrl+N", cmd::kFileNew},
    {"Ctrl+O", cmd::kFileOpen},
    {"Ctrl+S", cmd::kFileSave},
    {"Ctrl+P", cmd::kFilePrint},
    {"Ctrl+Z", cmd::kEditUndo},
    {"Ctrl+X", cmd::kEditCut},
    {"Ctrl+C", cmd::kEditCopy},
    {"Ctrl+V", cmd::kEditPaste},
    {"Alt+Backspace", cmd::kEditUndo},
    {"Shift+Del", cmd::kEditCut},
    {"Ctrl+Ins", cmd::kEditCopy},
    {"Shift+Ins", cmd::kEditPaste},
    {"F6", cmd::kNextPane},
    {"Shift+F6", cmd::kPrevPane},
    {"Shift+F1", cmd::kContextHelp},
    {"F1", cmd::kHelp},
    {"Ctrl+I", cmd::kFileImport},
    {"Ctrl+Y", cmd::kEditRedo},
    {"Ctrl+Shift+Z", cmd::kEditRedo},
    {"Ctrl++", cmd::kViewZoomIn},
    {"Ctrl+=", cmd::kViewZoomIn},
    {"Ctrl+-", cmd::kViewZoomOut},
    {"Ctrl+0", cmd::kViewActualSize},
};

// The toolbar's buttons from left to right; id 0 is a separator. `icon` names the button's
// picture among the shell's icon resources.
struct ToolbarButtonDef {
    CommandId id;
    const char* icon;
};

inline constexpr ToolbarButtonDef kToolbar[] = {
    {cmd::kFileNew, "new"},
    {cmd::kFileOpen, "open"},
    {cmd::kFileImport, "import"},
    {cmd::kFileSave, "save"},
    {cmd::kFileExport, "export"},
    {0, nullptr},
    {cmd::kThresholdSet, "threshold-set"},
    {cmd::kThresholdIncrease, "threshold-up"},
    {cmd::kThresholdDecrease, "threshold-down"},
    {cmd::kEditCrop, "crop"},
    {cmd::kEditResize, "resize"},
    {cmd::kEditReset, "reset"},
    {0, nullptr},
    {cmd::kToolPen, "pen"},
    {cmd::kToolRubber, "rubber"},
    {cmd::kToolLine, "line"},
    {cmd::kToolRectangle, "rectangle"},
    {cmd::kToolFill, "fill"},
    {0, nullptr},
    {cmd::kAppAbout, "about"},
};

// The toolbar buttons' size in pixels.
inline constexpr int kToolbarButtonWidth = 16;
inline constexpr int kToolbarButtonHeight = 15;

// A command's prompt string: the part before "\n" shows in the message pane while the command's
// menu item or button is highlighted, the part after it is the button's tool tip.
struct PromptDef {
    CommandId id;
    const char* text;
};

inline constexpr PromptDef kPrompts[] = {
    {cmd::kEditResize, "Adjust map size\nAdjust"},
    {cmd::kEditCrop, "Crop the bmp and select part of it \nCrop bmp"},
    {cmd::kEditReset, "Reset bmp to default\nReset"},
    {cmd::kToolPen, "draw with a single-pixel pen\npen"},
    {cmd::kToolRubber, "clear a point\nclear"},
    {cmd::kFileExport, "Export souce code for c or basic\n export source code"},
    {cmd::kThresholdIncrease, "Increase Threshold \n increase threshold"},
    {cmd::kThresholdDecrease, "Decrease Threshold\nDecrease Threshold"},
    {cmd::kThresholdSet, "Set Threshold to a certain value\nset threshold"},
    {cmd::kFileNew, "Create a new document\nNew"},
    {cmd::kFileOpen, "Open an exsiting file\nOpen"},
    {cmd::kFileSave, "Save active document\nSave"},
    {cmd::kAppAbout, "Display program information, version number and copyright\nAbout"},
    {cmd::kAppExit, "Exit application and prompt to save document\nExit"},
    {cmd::kFileImport, "Import a picture of any format and fit it to the screen\nImport picture"},
    {cmd::kEditUndo, "Undo the last change\nUndo"},
    {cmd::kEditRedo, "Redo the change undone last\nRedo"},
    {cmd::kEditCopy, "Copy the picture to the clipboard as an image and as C text\nCopy"},
    {cmd::kEditPaste, "Import the clipboard's picture\nPaste"},
    {cmd::kEditInvert, "Turn every pixel the other way round\nInvert"},
    {cmd::kToolLine, "draw a straight line (right button: white)\nline"},
    {cmd::kToolRectangle, "draw a rectangle outline (right button: white)\nrectangle"},
    {cmd::kToolFill, "fill an area of one colour (right button: white)\nfill"},
    {cmd::kViewZoomIn, "Show the canvas larger\nZoom in"},
    {cmd::kViewZoomOut, "Show the canvas smaller\nZoom out"},
    {cmd::kViewActualSize, "Show the canvas at its normal size\nActual size"},
};

// The prompt string of `id`, or null when it has none.
constexpr const char* PromptOf(CommandId id) {
    for (const PromptDef& p : kPrompts)
        if (p.id == id) return p.text;
    return nullptr;
}

}  // namespace pictoma::shell
