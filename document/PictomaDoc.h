#pragma once
// The editor's one document: the source picture read from a bitmap file, the working picture the
// views show and edit, the drawing tool and the threshold, and the commands on the whole picture
// (Save, Export, Reset, the threshold commands, Pen and Rubber) with their enable/check rules.
// Qt-free: dialogs and message boxes go through DocumentHost, the views through ViewBase.

#include <optional>
#include <string>
#include <vector>

#include "BmpImage.h"
#include "Document.h"
#include "DocumentHost.h"
#include "Drawing.h"
#include "ImportSession.h"
#include "SourceRows.h"
#include "UndoHistory.h"

namespace pictoma {

// The document's question before edits are dropped (string id 61192; 61191, kMsgFileTooLarge, is
// shared with the converter).
inline constexpr const char* kMsgChangesWillBeLost = "All the change will lose,\n    are you sure?";
// The question before unsaved changes would be dropped (New, Open, a recent file, a drop, Exit).
inline constexpr const char* kMsgSaveChanges =
    "The picture has changes that were not saved. Save them first?";

// The save dialog's filter entries: entry 1 writes the C form, entry 2 the BASIC form.
inline constexpr const char* kSaveFilterC = "C语言格式(*.txt)";
inline constexpr const char* kSaveFilterBasic = "Basic格式(*.txt)";
inline constexpr const char* kSaveFilterPattern = "*.txt";

// The size New offers, and the blank picture of the program's first New.
constexpr int kNewPictureSide = 64;

// Where the document's picture came from: the source a Reset and the threshold commands go back to.
enum class PictureOrigin {
    None,        // New: a blank picture
    Bitmap,      // File Open of a bitmap: re-read from the file at each threshold
    Imported,    // Import, Paste, a dropped picture: re-converted from the decoded picture
    SourceText,  // source text read back: nothing to re-convert
};

// The drawing tools of the canvas.
enum class DrawTool { Pen, Rubber, Line, Rectangle, Fill };

// The two kinds of view the document repaints pixel by pixel.
enum class DocViewKind { Canvas, Preview };

// A view of CPictomaDoc that the document knows by kind; any other ViewBase is left alone by
// InvalidatePixel and the focus move.
class PictomaViewBase : public ViewBase {
public:
    virtual DocViewKind Kind() const = 0;
    // Where pixel (x, y) lies in this view, right and bottom edges excluded, for its repaint. By
    // default the normal geometry of its kind: the canvas draws the pixel as the square from
    // (5x + 6, 5y + 6) to (5x + 9, 5y + 9); the preview draws it at (x + 6, y + 6) and repaints a
    // little around it. A view drawn at another scale says where its pixels are.
    virtual Rect PixelArea(int x, int y) const;
};

class CPictomaDoc : public DocumentBase {
public:
    // `host` must outlive the document.
    explicit CPictomaDoc(DocumentHost& host);

    // Reading a document through a file archive does nothing: the bitmap is read by m_image.
    void Serialize(std::istream& in) override;
    // New: a blank picture (64 x 64 the first time, otherwise the size chosen in the size dialog;
    // Cancel keeps the picture). Always true.
    bool OnNewDocument() override;
    // Open: reads `path` at threshold 125 and takes its picture (an unusable file keeps the
    // previous one), warns when it is too large for the screen and focuses the preview. False,
    // with the document unchanged, when the file cannot be read.
    bool OnOpenDocument(const std::string& path) override;

    // The working picture the views show, read only: every change goes through the operations
    // below.
    const Picture& GetPicture() const { return m_pixels; }
    // Sets (black) or clears pixel (x, y), 0-based, marks the document edited and repaints the
    // pixel in every view (also when it already had that colour). False, with nothing changed,
    // outside the picture.
    bool SetPixel(int x, int y, bool black);
    // Marks the areas of pixel (x, y), 0-based, for repaint in every canvas and preview view.
    void InvalidatePixel(int x, int y);
    // Replaces the working picture (Crop, Resize: `step` names it for Undo) and updates all
    // views; sets m_bEdited. False, with nothing changed, when `picture` is not a whole picture
    // of at least 1 x 1.
    bool ReplacePicture(Picture picture, const char* step = "crop");

    // A pen or rubber stroke, one undo step from press to release: StrokeTo sets (black) or
    // clears every pixel on the straight line from the previous point (the first call: that one
    // pixel); points outside the picture write nothing.
    void BeginStroke(bool black);
    void StrokeTo(int x, int y);
    void EndStroke();
    // A line, a rectangle outline, a 4-connected fill: one undo step each; pixels outside the
    // picture are left out. Nothing happens (no step) when no pixel lies on the picture.
    void DrawLine(PixelPoint a, PixelPoint b, bool black);
    void DrawRectangle(PixelPoint a, PixelPoint b, bool black);
    void FillAt(PixelPoint seed, bool black);

    // Takes an imported picture (Import, Paste, a drop): the decoded source stays in memory for
    // the threshold commands and Reset; `name` titles the document (empty: untitled). A fresh
    // history; the picture counts as just opened.
    void OpenImported(std::shared_ptr<ImportSession> session, const ImportOptions& options,
                      const std::string& name);
    // Takes a picture read back from source text at `path`; `position` is where its export text
    // drew it, offered again by the export dialog.
    void OpenSourceText(Picture picture, std::optional<ScreenPosition> position,
                        const std::string& path);
    PictureOrigin Origin() const { return m_origin; }
    const ImportOptions& LastImportOptions() const { return m_importOptions; }

    // Whether a change that would be lost has been made since the picture was opened, saved
    // (Save or the export dialog's Save) or copied; a threshold change alone does not count.
    bool HasUnsavedChanges() const { return m_bUnsaved; }
    // Marks the picture as saved (the export dialog saved it).
    void MarkSaved() { m_bUnsaved = false; }
    // Before the picture would be dropped: with unsaved changes, asks kMsgSaveChanges with Save,
    // Discard and Cancel. True when the caller may go on: nothing to lose, Discard, or a Save
    // that wrote the file; false after Cancel or a save that was cancelled or failed.
    bool SaveModified();

    const UndoHistory& History() const { return m_history; }
    DrawTool Tool() const { return m_tool; }

    // The threshold of the source picture.
    int GetThreshold() const { return m_image.GetThreshold(); }
    // True when the working picture is larger than the terminal's screen.
    bool TooLarge() const { return TooLargeForScreen(m_pixels.width, m_pixels.height); }

    // Command handlers.
    void OnFileSave();
    void OnFileExport();
    void OnEditReset();
    void OnThresholdIncrease();
    void OnThresholdDecrease();
    void OnThresholdSet();
    void OnToolPen();
    void OnToolRubber();
    void OnToolLine();
    void OnToolRectangle();
    void OnToolFill();
    void OnEditUndo();
    void OnEditRedo();
    void OnEditInvert();
    void OnEditCopy();
    // Save with its dialog; true when the file was written.
    bool DoFileSave();
    // Writes the picture as C or BASIC text to `path`; false, after a message naming the file,
    // when it could not be written (an existing file is then left as it was).
    bool SaveAsC(const std::string& path);
    bool SaveAsBasic(const std::string& path);

    // Update rules.
    void OnUpdateThresholdIncrease(CommandUi& ui);
    void OnUpdateThresholdDecrease(CommandUi& ui);
    void OnUpdateThresholdSet(CommandUi& ui);
    void OnUpdateToolPen(CommandUi& ui);
    void OnUpdateToolRubber(CommandUi& ui);
    void OnUpdateEditUndo(CommandUi& ui);
    void OnUpdateEditRedo(CommandUi& ui);

private:
    DocumentHost& m_host;

public:
    CBmpImage m_image;
    bool m_bEdited = false;
    bool m_bPen = true;
    bool m_bFromFile = false;
    std::string m_strBmpFile;

private:
    // The one place where the working picture is replaced; updates no view.
    void SetWorkingPicture(Picture picture);
    // Records the state before a change named `step` for Undo, and marks the picture unsaved
    // (except for a threshold change, which the file gives back).
    void BeginChange(const char* step);
    void RecordChange(const char* step, DocState before);
    DocState CurrentState() const;
    void RestoreState(DocState state);
    void SetTool(DrawTool tool);
    // The size dialog, then a blank picture of the chosen size (nothing after Cancel); recorded
    // as the undo step `step` unless it is null.
    void AskBlankPicture(const char* step);
    // Starts a fresh document around an opened picture that did not come from a bitmap.
    void TakeOpened(Picture picture, PictureOrigin origin, const std::string& name);
    // Converts the imported picture again with `options` as one step.
    void Reimport(const ImportOptions& options);
    // Writes the given pixels as one step; false (no step) when none lies on the picture.
    bool DrawPixels(const char* step, const std::vector<PixelPoint>& pixels, bool black);
    // Loads m_image; when it fails, tells the user why.
    bool LoadImage();
    void CopyFromImage();
    void WarnAndFocusPreview();
    void Reconvert(int threshold);
    bool AskToDropEdits();
    bool RefuseTooLarge();
    bool WriteText(const std::string& path, const std::string& text);

    // The working picture: its size and its bytes (always exactly a whole picture; before the
    // first New it is empty).
    Picture m_pixels;
    UndoHistory m_history;
    DrawTool m_tool = DrawTool::Pen;
    PictureOrigin m_origin = PictureOrigin::None;
    std::shared_ptr<ImportSession> m_session;  // the imported picture's decoded source
    ImportOptions m_importOptions;
    Picture m_sourcePicture;  // what a source text gave, for Reset
    std::optional<ScreenPosition> m_exportPosition;
    bool m_bUnsaved = false;
    // The stroke in progress: its colour, whether it has recorded its step, its last point.
    bool m_bStroking = false;
    bool m_bStrokeBlack = true;
    bool m_bStrokeRecorded = false;
    std::optional<PixelPoint> m_strokeLast;
};

}  // namespace pictoma
