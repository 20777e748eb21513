#pragma once
// Numeric ids of the editor's commands, status-bar panes and framework texts. Menu items, toolbar
// buttons and keyboard shortcuts carry these ids; the command tables map them to handlers.

namespace pictoma {

using CommandId = int;

namespace cmd {

// File
constexpr CommandId kFileNew = 57600;
constexpr CommandId kFileOpen = 57601;
constexpr CommandId kFileSave = 57603;
constexpr CommandId kFilePrint = 57607;
constexpr CommandId kFilePrintDirect = 57608;
constexpr CommandId kFilePrintPreview = 57609;
constexpr CommandId kFileRecent1 = 57616;  // the recent-file list: 57616 .. 57619
constexpr CommandId kFileRecentLast = 57619;
constexpr CommandId kFileExport = 32781;
constexpr CommandId kFileImport = 32797;
constexpr CommandId kAppExit = 57665;

// Edit
constexpr CommandId kEditCopy = 57634;
constexpr CommandId kEditCut = 57635;
constexpr CommandId kEditPaste = 57637;
constexpr CommandId kEditUndo = 57643;
constexpr CommandId kEditRedo = 57644;
constexpr CommandId kEditInvert = 32790;
constexpr CommandId kEditResize = 32772;
constexpr CommandId kEditCrop = 32773;
constexpr CommandId kEditReset = 32775;
constexpr CommandId kThresholdIncrease = 32784;
constexpr CommandId kThresholdDecrease = 32785;
constexpr CommandId kThresholdSet = 32786;

// Tool
constexpr CommandId kToolPen = 32776;
constexpr CommandId kToolRubber = 32778;
constexpr CommandId kToolLine = 32791;
constexpr CommandId kToolRectangle = 32792;
constexpr CommandId kToolFill = 32793;

// View and window
constexpr CommandId kViewToolbar = 59392;
constexpr CommandId kViewStatusBar = 59393;
constexpr CommandId kWindowSplit = 57653;
constexpr CommandId kNextPane = 57680;
constexpr CommandId kPrevPane = 57681;
constexpr CommandId kViewZoomIn = 32794;
constexpr CommandId kViewZoomOut = 32795;
constexpr CommandId kViewActualSize = 32796;

// Help
constexpr CommandId kAppAbout = 57664;
constexpr CommandId kHelpTopics = 57667;
constexpr CommandId kContextHelp = 57669;
constexpr CommandId kHelp = 57670;
constexpr CommandId kDefaultHelp = 57671;

// The status bar's second pane: the active view's update rule fills its text.
constexpr CommandId kIndicatorPane = 59142;

}  // namespace cmd
}  // namespace pictoma
