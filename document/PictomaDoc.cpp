#include "PictomaDoc.h"

#include "AtomicFile.h"
#include "IconSource.h"
#include "SourceText.h"

namespace pictoma {

namespace {

// Where a pixel's area lies in each kind of view (right and bottom edges excluded): the canvas
// draws pixel (x, y) as the square from (5x + 6, 5y + 6) to (5x + 9, 5y + 9); the preview draws it
// at (x + 6, y + 6) and repaints a little around it.
Rect PixelArea(DocViewKind kind, int x, int y) {
    switch (kind) {
        case DocViewKind::Canvas:
            return {5 * x + 6, 5 * y + 6, 5 * x + 9, 5 * y + 9};
        case DocViewKind::Preview:
            return {x + 2, y + 2, x + 8, y + 8};
    }
    return {};
}

const PictomaViewBase* AsDocView(const ViewBase* view) {
    return dynamic_cast<const PictomaViewBase*>(view);
}

}  // namespace

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
}

void CPictomaDoc::Serialize(std::istream&) {}

bool CPictomaDoc::OnNewDocument() {
    if (!DocumentBase::OnNewDocument()) return false;
    m_bFromFile = false;
    m_strBmpFile.clear();

    if (m_pixels.bytes.empty()) {
        // The program's first New: a white picture, shown by the views' initial update.
        SetWorkingPicture(Picture(kNewPictureSide, kNewPictureSide));
        return true;
    }
    const std::optional<Size> size = m_host.AskSize({kNewPictureSide, kNewPictureSide});
    if (size && size->width > 0 && size->height > 0) {
        SetWorkingPicture(Picture(size->width, size->height));
        UpdateAllViews();
    }
    // Cancel keeps the picture, but the document is still new and untitled.
    return true;
}

bool CPictomaDoc::OnOpenDocument(const std::string& path) {
    if (!DocumentBase::OnOpenDocument(path)) return false;
    m_strBmpFile = path;
    m_bFromFile = true;
    m_bEdited = false;
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
            view->InvalidateRect(PixelArea(docView->Kind(), x, y), false);
}

bool CPictomaDoc::SetPixel(int x, int y, bool black) {
    if (x < 0 || y < 0 || x >= m_pixels.width || y >= m_pixels.height) return false;
    std::uint8_t& byte = m_pixels.bytes[mono::IndexOf(x, y, m_pixels.width)];
    byte = pictoma::SetBit(byte, mono::BitOf(x), black);
    m_bEdited = true;
    InvalidatePixel(x, y);
    return true;
}

bool CPictomaDoc::ReplacePicture(Picture picture) {
    if (!picture.Consistent()) return false;
    m_bEdited = true;
    SetWorkingPicture(std::move(picture));
    UpdateAllViews();
    return true;
}

void CPictomaDoc::OnEditReset() {
    if (m_strBmpFile.empty()) {
        OnNewDocument();
        return;
    }
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
    const int previous = m_image.GetThreshold();
    m_image.SetThreshold(threshold);
    if (!LoadImage()) {
        m_image.SetThreshold(previous);
        return;
    }
    CopyFromImage();
    m_bEdited = false;
    UpdateAllViews();
}

void CPictomaDoc::OnThresholdIncrease() {
    if (!AskToDropEdits()) return;
    Reconvert(GetThreshold() + 1);
}

void CPictomaDoc::OnThresholdDecrease() {
    if (!AskToDropEdits()) return;
    Reconvert(GetThreshold() - 1);
}

void CPictomaDoc::OnThresholdSet() {
    const std::optional<ThresholdChoice> choice = m_host.AskThreshold(GetThreshold());
    if (!choice) return;
    if (!choice->useDefault &&
        (choice->threshold < MIN_THRESHOLD || choice->threshold > MAX_THRESHOLD))
        return;  // the dialog refuses such values; never apply one that slipped through
    if (!AskToDropEdits()) return;
    Reconvert(choice->useDefault ? DEFAULT_THRESHOLD : choice->threshold);
}

void CPictomaDoc::OnToolPen() {
    m_bPen = true;
}
void CPictomaDoc::OnToolRubber() {
    m_bPen = false;
}

void CPictomaDoc::OnUpdateThresholdIncrease(CommandUi& ui) {
    ui.enabled = m_bFromFile && GetThreshold() < MAX_THRESHOLD;
}
void CPictomaDoc::OnUpdateThresholdDecrease(CommandUi& ui) {
    ui.enabled = m_bFromFile && GetThreshold() > MIN_THRESHOLD;
}
void CPictomaDoc::OnUpdateThresholdSet(CommandUi& ui) {
    ui.enabled = m_bFromFile;
}
void CPictomaDoc::OnUpdateToolPen(CommandUi& ui) {
    ui.checked = m_bPen;
}
void CPictomaDoc::OnUpdateToolRubber(CommandUi& ui) {
    ui.checked = !m_bPen;
}

bool CPictomaDoc::RefuseTooLarge() {
    if (!TooLarge()) return false;
    m_host.Message(kMsgFileTooLarge, MsgIcon::Stop, MsgButtons::Ok);
    return true;
}

void CPictomaDoc::OnFileExport() {
    if (RefuseTooLarge()) return;
    const ScreenPosition at = CentredPosition(m_pixels.width, m_pixels.height);
    m_host.ShowExport({m_pixels, at.x, at.y});
}

void CPictomaDoc::OnFileSave() {
    SaveDialogSettings settings;
    settings.defaultExtension = "txt";
    settings.hideReadOnly = true;
    settings.confirmOverwrite = true;
    settings.filters = {{kSaveFilterC, kSaveFilterPattern}, {kSaveFilterBasic, kSaveFilterPattern}};
    settings.selectedFilter = 1;

    if (RefuseTooLarge()) return;
    const std::optional<SaveChoice> choice = m_host.AskSaveFile(settings);
    if (!choice) return;
    // The entry chosen in the dialog picks the form; the file name's extension plays no part.
    if (choice->filterIndex == 1)
        SaveAsC(choice->path);
    else if (choice->filterIndex == 2)
        SaveAsBasic(choice->path);
}

bool CPictomaDoc::WriteText(const std::string& path, const std::string& text) {
    const std::string error = WriteFileAtomically(path, text);
    if (error.empty()) return true;
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
