#include "PictomaDoc.h"

#include <algorithm>

#include "AtomicFile.h"
#include "IconSource.h"
#include "SourceText.h"

namespace pictoma {

namespace {

const PictomaViewBase* AsDocView(const ViewBase* view) {
    return dynamic_cast<const PictomaViewBase*>(view);
}

}  // namespace

Rect PictomaViewBase::PixelArea(int x, int y) const {
    switch (Kind()) {
        case DocViewKind::Canvas:
            return {5 * x + 6, 5 * y + 6, 5 * x + 9, 5 * y + 9};
        case DocViewKind::Preview:
            return {x + 2, y + 2, x + 8, y + 8};
    }
    return {};
}

CPictomaDoc::CPictomaDoc(DocumentHost& host) : DocumentBase(&host), m_host(host) {
    AddCommand(cmd::kFileSave, &CPictomaDoc::OnFileSave);
    AddCommand(cmd::kFileExport, &CPictomaDoc::OnFileExport);
    AddCommand(cmd::kEditReset, &CPictomaDoc::OnEditReset);
    AddCommand(cmd::kThresholdIncrease, &CPictomaDoc::OnThresholdIncrease);
    AddUpdateRule(cmd::kThresholdIncrease, &CPictomaDoc::OnUpdateThresholdIncrease);
    AddCommand(cmd::kThresholdDecrease, &CPictomaDoc::OnThresholdDecrease);
    AddUpdateRule(cmd::kThresholdDecrease, &CPictomaDoc::OnUpdateThresholdDecrease);
    AddCommand(cmd::kThresholdSet, &CPictomaDoc::OnThresholdSet);
    AddUpdateRule(cmd::kThresholdSet, &CPictomaDoc::OnUpdateThresholdSet);
    AddCommand(cmd::kToolPen, &CPictomaDoc::OnToolPen);
    AddUpdateRule(cmd::kToolPen, &CPictomaDoc::OnUpdateToolPen);
    AddCommand(cmd::kToolRubber, &CPictomaDoc::OnToolRubber);
    AddUpdateRule(cmd::kToolRubber, &CPictomaDoc::OnUpdateToolRubber);
    AddCommand(cmd::kToolLine, &CPictomaDoc::OnToolLine);
    AddUpdateRule(cmd::kToolLine, [this](CommandUi& ui) { ui.checked = m_tool == DrawTool::Line; });
    AddCommand(cmd::kToolRectangle, &CPictomaDoc::OnToolRectangle);
    AddUpdateRule(cmd::kToolRectangle,
                  [this](CommandUi& ui) { ui.checked = m_tool == DrawTool::Rectangle; });
    AddCommand(cmd::kToolFill, &CPictomaDoc::OnToolFill);
    AddUpdateRule(cmd::kToolFill, [this](CommandUi& ui) { ui.checked = m_tool == DrawTool::Fill; });
    AddCommand(cmd::kEditUndo, &CPictomaDoc::OnEditUndo);
    AddUpdateRule(cmd::kEditUndo, &CPictomaDoc::OnUpdateEditUndo);
    AddCommand(cmd::kEditRedo, &CPictomaDoc::OnEditRedo);
    AddUpdateRule(cmd::kEditRedo, &CPictomaDoc::OnUpdateEditRedo);
    AddCommand(cmd::kEditInvert, &CPictomaDoc::OnEditInvert);
    AddCommand(cmd::kEditCopy, &CPictomaDoc::OnEditCopy);
}

void CPictomaDoc::Serialize(std::istream&) {}

bool CPictomaDoc::OnNewDocument() {
    if (!DocumentBase::OnNewDocument()) return false;
    m_bFromFile = false;
    m_strBmpFile.clear();
    m_origin = PictureOrigin::None;
    m_session.reset();
    m_exportPosition.reset();
    m_history.Clear();
    m_bUnsaved = false;

    if (m_pixels.bytes.empty()) {
        // The program's first New: a white picture, shown by the views' initial update.
        SetWorkingPicture(Picture(kNewPictureSide, kNewPictureSide));
        return true;
    }
    // Cancel keeps the picture, but the document is still new and untitled.
    AskBlankPicture(nullptr);
    return true;
}

void CPictomaDoc::AskBlankPicture(const char* step) {
    const std::optional<Size> size = m_host.AskSize({kNewPictureSide, kNewPictureSide});
    if (!size || size->width <= 0 || size->height <= 0) return;
    if (step) BeginChange(step);
    SetWorkingPicture(Picture(size->width, size->height));
    UpdateAllViews();
}

bool CPictomaDoc::OnOpenDocument(const std::string& path) {
    if (!DocumentBase::OnOpenDocument(path)) return false;
    m_strBmpFile = path;
    m_bFromFile = true;
    m_bEdited = false;
    m_origin = PictureOrigin::Bitmap;
    m_session.reset();
    m_exportPosition.reset();
    m_history.Clear();
    m_bUnsaved = false;
    m_image.SetFileName(path);
    m_image.ResetThreshold();
    // An unusable file has been reported; the image kept its previous picture and we take that.
    LoadImage();
    CopyFromImage();
    WarnAndFocusPreview();
    return true;
}

bool CPictomaDoc::LoadImage() {
    const Status loaded = m_image.Load();
    if (!loaded) m_host.Message(loaded.message(), MsgIcon::Warning, MsgButtons::Ok);
    return loaded.ok();
}

void CPictomaDoc::CopyFromImage() {
    // Before its first successful load the image has no picture: keep ours then.
    if (m_image.HasPicture()) SetWorkingPicture(m_image.GetPicture());
}

void CPictomaDoc::SetWorkingPicture(Picture picture) {
    m_pixels = std::move(picture);
}

// After a picture was taken from a file: the too-large warning, then the focus to the first
// preview, where such a picture can be cropped or resized at once (also when it fits).
void CPictomaDoc::WarnAndFocusPreview() {
    if (TooLarge()) m_host.Message(kMsgFileTooLarge, MsgIcon::Warning, MsgButtons::Ok);
    for (ViewBase* view : GetViews()) {
        const PictomaViewBase* docView = AsDocView(view);
        if (docView && docView->Kind() == DocViewKind::Preview) {
            view->SetFocus();
            break;
        }
    }
}

void CPictomaDoc::InvalidatePixel(int x, int y) {
    for (ViewBase* view : GetViews())
        if (const PictomaViewBase* docView = AsDocView(view))
            view->InvalidateRect(docView->PixelArea(x, y), false);
}

bool CPictomaDoc::SetPixel(int x, int y, bool black) {
    if (x < 0 || y < 0 || x >= m_pixels.width || y >= m_pixels.height) return false;
    std::uint8_t& byte = m_pixels.bytes[mono::IndexOf(x, y, m_pixels.width)];
    byte = pictoma::SetBit(byte, mono::BitOf(x), black);
    m_bEdited = true;
    InvalidatePixel(x, y);
    return true;
}

bool CPictomaDoc::ReplacePicture(Picture picture, const char* step) {
    if (!picture.Consistent()) return false;
    BeginChange(step);
    m_bEdited = true;
    SetWorkingPicture(std::move(picture));
    UpdateAllViews();
    return true;
}

void CPictomaDoc::OnEditReset() {
    if (m_origin == PictureOrigin::Imported || m_origin == PictureOrigin::SourceText) {
        // Back to the last conversion, or to the picture as the text gave it.
        BeginChange("reset");
        m_bEdited = false;
        SetWorkingPicture(m_origin == PictureOrigin::Imported ? m_session->Convert(m_importOptions)
                                                              : m_sourcePicture);
        UpdateAllViews();
        WarnAndFocusPreview();
        return;
    }
    if (m_strBmpFile.empty()) {
        // An untitled picture resets as New makes one, as one step that Undo takes back.
        AskBlankPicture("reset");
        return;
    }
    BeginChange("reset");
    m_bEdited = false;
    CopyFromImage();
    UpdateAllViews();
    WarnAndFocusPreview();
}

bool CPictomaDoc::AskToDropEdits() {
    return !m_bEdited || m_host.Message(kMsgChangesWillBeLost, MsgIcon::Question,
                                        MsgButtons::YesNo) == MsgAnswer::Yes;
}

void CPictomaDoc::Reconvert(int threshold) {
    // The file is read again at the new threshold. When that fails (the file was deleted or
    // replaced since it was opened) the user has been told, and the document keeps its picture,
    // its edits and its threshold rather than dropping the edits for nothing.
    DocState before = CurrentState();
    m_image.SetThreshold(threshold);
    if (!LoadImage()) {
        m_image.SetThreshold(before.threshold);
        return;
    }
    RecordChange("threshold change", std::move(before));
    CopyFromImage();
    m_bEdited = false;
    UpdateAllViews();
}

void CPictomaDoc::OnThresholdIncrease() {
    if (!AskToDropEdits()) return;
    if (m_origin == PictureOrigin::Imported) {
        ImportOptions next = m_importOptions;
        next.threshold = std::min(next.threshold + 1, 255);
        Reimport(next);
        return;
    }
    Reconvert(GetThreshold() + 1);
}

void CPictomaDoc::OnThresholdDecrease() {
    if (!AskToDropEdits()) return;
    if (m_origin == PictureOrigin::Imported) {
        ImportOptions next = m_importOptions;
        next.threshold = std::max(next.threshold - 1, 0);
        Reimport(next);
        return;
    }
    Reconvert(GetThreshold() - 1);
}

void CPictomaDoc::Reimport(const ImportOptions& options) {
    DocState before = CurrentState();
    m_importOptions = options;
    m_image.SetThreshold(options.threshold);
    RecordChange("import", std::move(before));
    SetWorkingPicture(m_session->Convert(options));
    m_bEdited = false;
    UpdateAllViews();
}

void CPictomaDoc::TakeOpened(Picture picture, PictureOrigin origin, const std::string& name) {
    DocumentBase::OnNewDocument();
    SetPathName(name);
    m_strBmpFile.clear();
    m_bFromFile = false;
    m_bEdited = false;
    m_origin = origin;
    m_history.Clear();
    m_bUnsaved = false;
    m_exportPosition.reset();
    SetWorkingPicture(std::move(picture));
    SendInitialUpdate();
    WarnAndFocusPreview();
}

void CPictomaDoc::OpenImported(std::shared_ptr<ImportSession> session, const ImportOptions& options,
                               const std::string& name) {
    m_session = std::move(session);
    m_importOptions = options;
    m_image.SetThreshold(options.threshold);
    TakeOpened(m_session->Convert(options), PictureOrigin::Imported, name);
}

void CPictomaDoc::OpenSourceText(Picture picture, std::optional<ScreenPosition> position,
                                 const std::string& path) {
    m_session.reset();
    m_sourcePicture = picture;
    TakeOpened(std::move(picture), PictureOrigin::SourceText, path);
    m_exportPosition = position;
}

void CPictomaDoc::OnThresholdSet() {
    if (m_origin == PictureOrigin::Imported) {
        // The Import dialog with the current options: the threshold among the others.
        const std::optional<ImportOptions> options =
            m_host.AskImport(m_session->Source(), m_importOptions);
        if (!options || !AskToDropEdits()) return;
        Reimport(*options);
        return;
    }
    const std::optional<ThresholdChoice> choice = m_host.AskThreshold(GetThreshold());
    if (!choice) return;
    if (!choice->useDefault &&
        (choice->threshold < MIN_THRESHOLD || choice->threshold > MAX_THRESHOLD))
        return;  // the dialog refuses such values; never apply one that slipped through
    if (!AskToDropEdits()) return;
    Reconvert(choice->useDefault ? DEFAULT_THRESHOLD : choice->threshold);
}

void CPictomaDoc::SetTool(DrawTool tool) {
    m_tool = tool;
    // m_bPen tells pen from rubber; the other tools keep the last of the two.
    if (tool == DrawTool::Pen || tool == DrawTool::Rubber) m_bPen = tool == DrawTool::Pen;
}
void CPictomaDoc::OnToolPen() {
    SetTool(DrawTool::Pen);
}
void CPictomaDoc::OnToolRubber() {
    SetTool(DrawTool::Rubber);
}
void CPictomaDoc::OnToolLine() {
    SetTool(DrawTool::Line);
}
void CPictomaDoc::OnToolRectangle() {
    SetTool(DrawTool::Rectangle);
}
void CPictomaDoc::OnToolFill() {
    SetTool(DrawTool::Fill);
}

void CPictomaDoc::OnUpdateThresholdIncrease(CommandUi& ui) {
    if (m_origin == PictureOrigin::Imported)
        ui.enabled = m_importOptions.threshold < 255;
    else
        ui.enabled = m_bFromFile && GetThreshold() < MAX_THRESHOLD;
}
void CPictomaDoc::OnUpdateThresholdDecrease(CommandUi& ui) {
    if (m_origin == PictureOrigin::Imported)
        ui.enabled = m_importOptions.threshold > 0;
    else
        ui.enabled = m_bFromFile && GetThreshold() > MIN_THRESHOLD;
}
void CPictomaDoc::OnUpdateThresholdSet(CommandUi& ui) {
    ui.enabled = m_bFromFile || m_origin == PictureOrigin::Imported;
}
void CPictomaDoc::OnUpdateToolPen(CommandUi& ui) {
    ui.checked = m_tool == DrawTool::Pen;
}
void CPictomaDoc::OnUpdateToolRubber(CommandUi& ui) {
    ui.checked = m_tool == DrawTool::Rubber;
}
void CPictomaDoc::OnUpdateEditUndo(CommandUi& ui) {
    ui.enabled = m_history.CanUndo();
    if (ui.enabled) ui.text = "Undo " + m_history.UndoName();
}
void CPictomaDoc::OnUpdateEditRedo(CommandUi& ui) {
    ui.enabled = m_history.CanRedo();
    if (ui.enabled) ui.text = "Redo " + m_history.RedoName();
}

DocState CPictomaDoc::CurrentState() const {
    return {m_pixels, m_origin == PictureOrigin::Imported ? m_importOptions.threshold
                                                          : m_image.GetThreshold()};
}

void CPictomaDoc::BeginChange(const char* step) {
    RecordChange(step, CurrentState());
}

void CPictomaDoc::RecordChange(const char* step, DocState before) {
    m_history.Record(step, std::move(before));
    if (std::string_view(step) != "threshold change") m_bUnsaved = true;
}

void CPictomaDoc::RestoreState(DocState state) {
    if (m_origin == PictureOrigin::Imported) {
        m_importOptions.threshold = state.threshold;
        m_image.SetThreshold(state.threshold);
    } else if (state.threshold != m_image.GetThreshold()) {
        // The source picture follows the threshold, so that Reset gives the picture of the
        // threshold that is back; a file that went away leaves it as it was.
        m_image.SetThreshold(state.threshold);
        if (m_bFromFile) (void)m_image.Load();
    }
    SetWorkingPicture(std::move(state.picture));
    m_bEdited = true;
    m_bUnsaved = true;
    UpdateAllViews();
}

void CPictomaDoc::OnEditUndo() {
    if (m_history.CanUndo()) RestoreState(m_history.Undo(CurrentState()));
}

void CPictomaDoc::OnEditRedo() {
    if (m_history.CanRedo()) RestoreState(m_history.Redo(CurrentState()));
}

void CPictomaDoc::OnEditInvert() {
    if (!m_pixels.Consistent()) return;
    BeginChange("invert");
    Picture inverted = m_pixels;
    const int bpr = inverted.BytesPerRow();
    const int left = mono::LeftoverPixels(inverted.width);
    for (int y = 0; y < inverted.height; ++y) {
        std::uint8_t* row = inverted.bytes.data() + std::size_t(y) * std::size_t(bpr);
        for (int c = 0; c < bpr; ++c)
            row[c] = std::uint8_t(~row[c]);
        // Only the pixels within the width; the bits past it stay as they were.
        if (left) row[bpr - 1] ^= std::uint8_t(~mono::LeadingMask(left));
    }
    SetWorkingPicture(std::move(inverted));
    m_bEdited = true;
    UpdateAllViews();
}

void CPictomaDoc::OnEditCopy() {
    if (!m_pixels.Consistent()) return;
    m_host.CopyToClipboard(m_pixels, TooLarge() ? std::string() : MakeSaveTextC(m_pixels));
    m_bUnsaved = false;
}

void CPictomaDoc::BeginStroke(bool black) {
    m_bStroking = true;
    m_bStrokeBlack = black;
    m_bStrokeRecorded = false;
    m_strokeLast.reset();
}

void CPictomaDoc::StrokeTo(int x, int y) {
    if (!m_bStroking) return;
    const PixelPoint to{x, y};
    const std::vector<PixelPoint> line =
        m_strokeLast ? LinePixels(*m_strokeLast, to) : std::vector<PixelPoint>{to};
    m_strokeLast = to;
    for (const PixelPoint p : line) {
        if (p.x < 0 || p.y < 0 || p.x >= m_pixels.width || p.y >= m_pixels.height) continue;
        if (!m_bStrokeRecorded) {
            BeginChange(m_bStrokeBlack ? "pen stroke" : "rubber stroke");
            m_bStrokeRecorded = true;
        }
        SetPixel(p.x, p.y, m_bStrokeBlack);
    }
}

void CPictomaDoc::EndStroke() {
    m_bStroking = false;
    m_strokeLast.reset();
}

bool CPictomaDoc::DrawPixels(const char* step, const std::vector<PixelPoint>& pixels, bool black) {
    bool recorded = false;
    for (const PixelPoint p : pixels) {
        if (p.x < 0 || p.y < 0 || p.x >= m_pixels.width || p.y >= m_pixels.height) continue;
        if (!recorded) BeginChange(step);
        recorded = true;
        SetPixel(p.x, p.y, black);
    }
    return recorded;
}

void CPictomaDoc::DrawLine(PixelPoint a, PixelPoint b, bool black) {
    DrawPixels("line", LinePixels(a, b), black);
}

void CPictomaDoc::DrawRectangle(PixelPoint a, PixelPoint b, bool black) {
    DrawPixels("rectangle", RectanglePixels(a, b), black);
}

void CPictomaDoc::FillAt(PixelPoint seed, bool black) {
    DrawPixels("fill", FillPixels(m_pixels, seed), black);
}

bool CPictomaDoc::SaveModified() {
    if (!m_bUnsaved) return true;
    switch (m_host.Message(kMsgSaveChanges, MsgIcon::Question, MsgButtons::SaveDiscardCancel)) {
        case MsgAnswer::Save:
            return DoFileSave();
        case MsgAnswer::Discard:
            return true;
        default:
            return false;
    }
}

bool CPictomaDoc::RefuseTooLarge() {
    if (!TooLarge()) return false;
    m_host.Message(kMsgFileTooLarge, MsgIcon::Stop, MsgButtons::Ok);
    return true;
}

void CPictomaDoc::OnFileExport() {
    if (RefuseTooLarge()) return;
    const ScreenPosition at =
        m_exportPosition.value_or(CentredPosition(m_pixels.width, m_pixels.height));
    if (m_host.ShowExport({m_pixels, at.x, at.y})) m_bUnsaved = false;
}

void CPictomaDoc::OnFileSave() {
    DoFileSave();
}

bool CPictomaDoc::DoFileSave() {
    SaveDialogSettings settings;
    settings.defaultExtension = "txt";
    settings.hideReadOnly = true;
    settings.confirmOverwrite = true;
    settings.filters = {{kSaveFilterC, kSaveFilterPattern}, {kSaveFilterBasic, kSaveFilterPattern}};
    settings.selectedFilter = 1;

    if (RefuseTooLarge()) return false;
    const std::optional<SaveChoice> choice = m_host.AskSaveFile(settings);
    if (!choice) return false;
    // The entry chosen in the dialog picks the form; the file name's extension plays no part.
    if (choice->filterIndex == 1) return SaveAsC(choice->path);
    if (choice->filterIndex == 2) return SaveAsBasic(choice->path);
    return false;
}

bool CPictomaDoc::WriteText(const std::string& path, const std::string& text) {
    const std::string error = WriteFileAtomically(path, text);
    if (error.empty()) {
        m_bUnsaved = false;
        return true;
    }
    m_host.Message(error, MsgIcon::Warning, MsgButtons::Ok);
    return false;
}

bool CPictomaDoc::SaveAsC(const std::string& path) {
    return WriteText(path, MakeSaveTextC(m_pixels));
}

bool CPictomaDoc::SaveAsBasic(const std::string& path) {
    return WriteText(path, MakeSaveTextBasic(m_pixels));
}

}  // namespace pictoma
