#pragma once
// Reads a picture back from source text in the four forms this program writes (Save C
// "str[]={", Save BASIC "str0$=", Export C "char icon[]={" with its show_image call, Export
// BASIC "icon_0$=" with a show_image call per row) and from the usual hand edits of them: any
// names, a type and qualifiers before the array's name, a UTF-8 byte order mark, blanks, line
// breaks (LF, CR LF or CR) and comments ("//", "/* */") between items, a trailing comma, a ";"
// after the closing brace, a statement or the call, decimal, hexadecimal ("0x", and "&H" in BASIC)
// and, in C, octal values. Every value is bit-reversed back (ReverseBits), so the picture is the
// one that was written.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "IconSource.h"
#include "mono.h"

namespace pictoma {

enum class SourceForm {
    SaveC,        // a byte array and nothing else
    SaveBasic,    // string variables, one a row, and nothing else
    ExportC,      // a byte array and one show_image call
    ExportBasic,  // string variables and one show_image call a row
};

// What a source text holds.
struct SourcePicture {
    Picture picture;
    SourceForm form = SourceForm::SaveC;
    // Where the text draws the picture: the Export C call's x and y, or the first Export BASIC
    // call's when every row j is drawn at (x, y + j); nullopt for the Save forms. Taken as
    // written, so it may lie off the screen.
    std::optional<ScreenPosition> position;
};

// The picture read from a source text, or the refusal to show.
class [[nodiscard]] SourceReadResult {
public:
    SourceReadResult(SourcePicture source) : m_source(std::move(source)) {}
    // `sizeNeeded`: the text is readable but does not tell the picture's size (ragged or
    // re-wrapped rows of a Save form); reading it again with a size can succeed.
    static SourceReadResult Refusal(std::string message, bool sizeNeeded = false) {
        return SourceReadResult(std::move(message), sizeNeeded);
    }

    bool ok() const { return m_source.has_value(); }
    explicit operator bool() const { return ok(); }
    // The picture and what came with it; only when ok().
    const SourcePicture& source() const { return *m_source; }
    SourcePicture& source() { return *m_source; }
    // The refusal, exactly as it is to be shown ("<name>, line 12: expected a value or '}'");
    // empty when ok().
    const std::string& message() const { return m_message; }
    bool sizeNeeded() const { return m_sizeNeeded; }

private:
    SourceReadResult(std::string message, bool sizeNeeded)
        : m_message(std::move(message)), m_sizeNeeded(sizeNeeded) {}

    std::optional<SourcePicture> m_source;
    std::string m_message;
    bool m_sizeNeeded = false;
};

// How much of a file StartsLikeSourceText needs to see: more than any of the forms takes for a
// picture of the screen's size, comments included.
inline constexpr std::size_t kSourceSniffBytes = 64 * 1024;

// True when `head` (the start of a file, or all of it) begins, after blanks and comments, the
// way one of the forms does: words then "[", an optional number, "]", "=", "{" (C), or a
// "name$" then "=" and "chr$(" (BASIC). Reads only the first few items; false for a bitmap, for
// empty text and for a comment that does not end within `head`.
bool StartsLikeSourceText(std::string_view head);

// Reads the picture from `text`. `name` (the file's name, as the user knows it) starts every
// refusal. `size`, when given, is the picture's size: for the Save forms it replaces the one the
// rows tell (their values, all rows together, must then be exactly the picture's bytes), for
// the Export forms it must be the one show_image gives. Never throws; on a refusal nothing is
// returned but the message.
SourceReadResult ReadSourceText(std::string_view text, std::string_view name,
                                std::optional<Size> size = std::nullopt);

}  // namespace pictoma
