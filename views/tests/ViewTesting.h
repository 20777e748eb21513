#pragma once
// Helpers for the view tests: a document host that fails the test on any dialog, a document with a
// chosen picture, rendering into an image, and mouse events sent straight to a widget.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include "PictomaDoc.h"

namespace pictoma::test {

// Records messages; every dialog is unexpected here.
class QuietHost : public DocumentHost {
public:
    MsgAnswer Message(std::string_view text, MsgIcon, MsgButtons) override {
        messages.emplace_back(text);
        return MsgAnswer::Ok;
    }
    std::optional<Size> AskSize(Size) override {
        ADD_FAILURE() << "unexpected size dialog";
        return std::nullopt;
    }
    std::optional<ThresholdChoice> AskThreshold(int) override {
        ADD_FAILURE() << "unexpected threshold dialog";
        return std::nullopt;
    }
    std::optional<SaveChoice> AskSaveFile(const SaveDialogSettings&) override {
        ADD_FAILURE() << "unexpected save dialog";
        return std::nullopt;
    }
    bool ShowExport(const ExportRequest&) override {
        ADD_FAILURE() << "unexpected export";
        return false;
    }
    void CopyToClipboard(const Picture&, const std::string&) override {}
    std::optional<ImportOptions> AskImport(std::shared_ptr<const PictureSource>,
                                           const ImportOptions&) override {
        return std::nullopt;
    }

    std::vector<std::string> messages;
};

// Gives `doc` the picture and shows it to every view, as an Open does.
inline void SetPicture(CPictomaDoc& doc, Picture picture) {
    EXPECT_TRUE(doc.ReplacePicture(std::move(picture)));
    doc.m_bEdited = false;
    doc.SendInitialUpdate();
}

// The same for a white picture of width x height with `black` pixels set.
inline void SetPicture(CPictomaDoc& doc, int width, int height,
                       const std::vector<std::pair<int, int>>& black = {}) {
    Picture p(width, height);
    for (auto [x, y] : black)
        p.Set(x, y, true);
    SetPicture(doc, std::move(p));
}

// Whether pixel (x, y) of the document's picture is black.
inline bool DocBlack(const CPictomaDoc& doc, int x, int y) {
    return doc.GetPicture().Black(x, y);
}

// What `view.OnDraw` draws on a white image of the given size.
template <class View>
QImage Render(const View& view, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter dc(&image);
    view.OnDraw(dc);
    dc.end();
    return image;
}

inline QRgb Red() {
    return qRgb(255, 0, 0);
}
inline QRgb Green() {
    return qRgb(0, 255, 0);
}
inline QRgb Black() {
    return qRgb(0, 0, 0);
}
inline QRgb White() {
    return qRgb(255, 255, 255);
}

// The colour at (x, y), without alpha.
inline QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xFF000000u;
}

// True when every pixel of `image` is white.
inline bool AllWhite(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (At(image, x, y) != White()) return false;
    return true;
}

// Sends a mouse event at `pos` (widget coordinates) straight to `target`.
inline void SendMouse(QWidget* target, QEvent::Type type, QPoint pos,
                      Qt::MouseButton button = Qt::LeftButton,
                      Qt::MouseButtons held = Qt::NoButton) {
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}
inline void Press(QWidget* target, QPoint pos) {
    SendMouse(target, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
}
inline void Drag(QWidget* target, QPoint pos) {
    SendMouse(target, QEvent::MouseMove, pos, Qt::NoButton, Qt::LeftButton);
}
inline void Hover(QWidget* target, QPoint pos) {
    SendMouse(target, QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton);
}
inline void Release(QWidget* target, QPoint pos) {
    SendMouse(target, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

// The text the status pane 59142 shows for `view`.
inline std::string PaneText(CommandTarget& view) {
    CommandTarget* route[] = {&view};
    return QueryCommand(cmd::kIndicatorPane, route).text.value_or("");
}

}  // namespace pictoma::test
