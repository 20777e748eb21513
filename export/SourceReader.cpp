#include "SourceReader.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <vector>

#include "BmpImage.h"

namespace pictoma {

namespace {

struct Token {
    enum Kind {
        End,
        Word,         // a name; a BASIC string name keeps its "$"
        Number,       // digits and letters from a digit (or "&H") on, checked where it is used
        Punct,        // one of [ ] { } = , ; ( ) + -
        Bad,          // any other byte
        OpenComment,  // a "/*" without its "*/"
    };
    Kind kind = End;
    std::string_view text;
    int line = 1;
};

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Splits source text into tokens, one at a time, skipping blanks and comments and counting lines
// (LF, CR LF and a lone CR each end one).
class Lexer {
public:
    // A byte order mark, as some editors put before UTF-8 text, counts as a blank.
    explicit Lexer(std::string_view text) : m_text(text) {
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF") m_pos = 3;
    }

    Token Next() {
        if (!SkipBlanksAndComments()) return {Token::OpenComment, {}, m_commentLine};
        Token t{Token::End, {}, m_line};
        if (m_pos == m_text.size()) return t;
        const std::size_t start = m_pos;
        const char c = m_text[m_pos];
        if (IsLetter(c)) {
            t.kind = Token::Word;
            while (m_pos < m_text.size() && (IsLetter(m_text[m_pos]) || IsDigit(m_text[m_pos])))
                ++m_pos;
            if (m_pos < m_text.size() && m_text[m_pos] == '$') ++m_pos;
        } else if (IsDigit(c) || (c == '&' && m_pos + 1 < m_text.size() &&
                                  (m_text[m_pos + 1] == 'H' || m_text[m_pos + 1] == 'h'))) {
            t.kind = Token::Number;
            ++m_pos;
            while (m_pos < m_text.size() && (IsLetter(m_text[m_pos]) || IsDigit(m_text[m_pos])))
                ++m_pos;
        } else {
            t.kind = std::string_view("[]{}=,;()+-").find(c) != std::string_view::npos
                         ? Token::Punct
                         : Token::Bad;
            ++m_pos;
        }
        t.text = m_text.substr(start, m_pos - start);
        return t;
    }

private:
    void LineEnd() {
        if (m_text[m_pos] == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n')
            ++m_pos;
        ++m_pos;
        ++m_line;
    }

    // False when a "/*" comment runs to the end of the text.
    bool SkipBlanksAndComments() {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == ' ' || c == '\t' || c == '\f' || c == '\v') {
                ++m_pos;
            } else if (c == '\n' || c == '\r') {
                LineEnd();
            } else if (m_text.substr(m_pos, 2) == "//") {
                while (m_pos < m_text.size() && m_text[m_pos] != '\n' && m_text[m_pos] != '\r')
                    ++m_pos;
            } else if (m_text.substr(m_pos, 2) == "/*") {
                m_commentLine = m_line;
                m_pos += 2;
                for (;;) {
                    if (m_pos >= m_text.size()) return false;
                    if (m_text.substr(m_pos, 2) == "*/") {
                        m_pos += 2;
                        break;
                    }
                    if (m_text[m_pos] == '\n' || m_text[m_pos] == '\r')
                        LineEnd();
                    else
                        ++m_pos;
                }
            } else {
                break;
            }
        }
        return true;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
    int m_commentLine = 1;
};

bool IsPunct(const Token& t, char c) {
    return t.kind == Token::Punct && t.text[0] == c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The value of a number token: "0x" hexadecimal, "&H" hexadecimal (BASIC), a leading 0 octal
// (C, as a C compiler reads it: 010 is 8), else decimal. A value too large for long long
// answers LLONG_MAX; nullopt when the token is not a number in the dialect.
std::optional<long long> NumberValue(std::string_view t, bool c) {
    int base = 10;
    std::size_t skip = 0;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        base = 16;
        skip = 2;
    } else if (!c && t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h')) {
        base = 16;
        skip = 2;
    } else if (c && t.size() > 1 && t[0] == '0') {
        base = 8;
        skip = 1;
    }
    const char* first = t.data() + skip;
    const char* last = t.data() + t.size();
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, base);
    if (ptr != last) return std::nullopt;
    if (ec == std::errc::result_out_of_range) return LLONG_MAX;
    if (ec != std::errc()) return std::nullopt;
    return value;
}

// "1 value", "3 values".
std::string ValuesText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " value" : " values");
}

std::string SizeText(long long width, long long height) {
    return std::to_string(width) + " × " + std::to_string(height);
}

// A row of a Save form: the line it starts on and its number of values.
struct Row {
    int line = 0;
    std::size_t count = 0;
};

// One show_image call.
struct Call {
    int line = 0;
    long long x = 0, y = 0, width = 0, height = 0;
    Token target;
    std::size_t variablesBefore = 0;  // BASIC: the variables assigned before the call
};

// A BASIC string variable: its values are values[first, first + count).
struct Variable {
    std::string_view name;
    int line = 0;
    std::size_t first = 0;
    std::size_t count = 0;
};

class Reader {
public:
    Reader(std::string_view text, std::string_view name, std::optional<Size> size)
        : m_lexer(text), m_name(name), m_size(size) {
        m_next = m_lexer.Next();
    }

    SourceReadResult Read() {
        if (m_size && !Drawable(m_size->width, m_size->height))
            return RefuseAll("a " + SizeText(m_size->width, m_size->height) +
                             " picture cannot be read");
        if (m_next.kind == Token::Word && m_next.text.back() == '$') return ReadBasic();
        // A text that starts with the call has nothing for it to draw.
        if (m_next.kind == Token::Word && !EqualsNoCase(m_next.text, "show_image")) return ReadC();
        return Expected("an array (\"name[] = {\") or a string variable (\"name$ =\")");
    }

private:
    static bool Drawable(long long width, long long height) {
        return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide &&
               mono::ByteCount(int(width), int(height)) <= kMaxPictureBytes;
    }

    Token Take() {
        Token t = m_next;
        m_next = m_lexer.Next();
        return t;
    }
    bool TakePunct(char c) {
        if (!IsPunct(m_next, c)) return false;
        Take();
        return true;
    }

    SourceReadResult RefuseAll(const std::string& what, bool sizeNeeded = false) const {
        return SourceReadResult::Refusal(std::string(m_name) + ": " + what, sizeNeeded);
    }
    SourceReadResult RefuseAt(int line, const std::string& what, bool sizeNeeded = false) const {
        return SourceReadResult::Refusal(
            std::string(m_name) + ", line " + std::to_string(line) + ": " + what, sizeNeeded);
    }
    // The refusal for a next token that is not `what`; an unclosed comment says so instead.
    SourceReadResult Expected(const std::string& what) const {
        if (m_next.kind == Token::OpenComment)
            return RefuseAt(m_next.line, "the comment \"/*\" is not closed");
        return RefuseAt(m_next.line, "expected " + what);
    }

    // The Take functions below answer nullopt on a refusal, which they keep for Refused().
    std::nullopt_t Fail(SourceReadResult refusal) {
        m_refusal = std::move(refusal);
        return std::nullopt;
    }
    SourceReadResult Refused() { return std::move(*m_refusal); }

    // A byte value (0 to 255) from the next token, bit-reversed.
    std::optional<std::uint8_t> TakeByte(bool c) {
        const Token t = Take();
        const std::optional<long long> v = NumberValue(t.text, c);
        if (!v) return Fail(RefuseAt(t.line, std::string(t.text) + " is not a number"));
        if (*v > 255)
            return Fail(RefuseAt(t.line, std::string(t.text) + " is not a byte (0 to 255)"));
        return ReverseBits(std::uint8_t(*v));
    }

    // show_image's argument `what`: a whole number, with an optional minus sign, in int's range.
    std::optional<long long> TakeInt(bool c, const char* what) {
        const bool negative = TakePunct('-');
        if (m_next.kind != Token::Number)
            return Fail(Expected(std::string("show_image's ") + what));
        const Token t = Take();
        const std::optional<long long> v = NumberValue(t.text, c);
        if (!v) return Fail(RefuseAt(t.line, std::string(t.text) + " is not a number"));
        const long long value = negative ? -*v : *v;
        if (value < INT_MIN || value > INT_MAX)
            return Fail(RefuseAt(t.line, std::string("show_image's ") + what + " is out of range"));
        return value;
    }

    // show_image(x, y, width, height, target), an optional ";" after it.
    std::optional<Call> TakeCall(bool c) {
        Call call;
        call.line = Take().line;
        if (!TakePunct('(')) return Fail(Expected("'('"));
        long long* args[] = {&call.x, &call.y, &call.width, &call.height};
        const char* names[] = {"x", "y", "width", "height"};
        for (int i = 0; i < 4; ++i) {
            const std::optional<long long> v = TakeInt(c, names[i]);
            if (!v) return std::nullopt;
            *args[i] = *v;
            if (!TakePunct(',')) return Fail(Expected("','"));
        }
        if (m_next.kind != Token::Word) return Fail(Expected("the name of the picture to draw"));
        call.target = Take();
        if (!TakePunct(')')) return Fail(Expected("')'"));
        TakePunct(';');
        if (!Drawable(call.width, call.height))
            return Fail(RefuseAt(call.line, "show_image cannot draw a " +
                                                SizeText(call.width, call.height) + " picture"));
        return call;
    }

    // The picture of a Save form: its rows tell the size (whole bytes wide, a row a line or a
    // variable), or the given size does.
    SourceReadResult FromRows(const std::vector<Row>& rows, std::vector<std::uint8_t> values,
                              SourceForm form) const {
        if (m_size) {
            if (values.size() != mono::ByteCount(m_size->width, m_size->height))
                return RefuseAll(CountText(values.size(), m_size->width, m_size->height));
            return SourcePicture{Picture(m_size->width, m_size->height, std::move(values)), form,
                                 std::nullopt};
        }
        const std::size_t perRow = rows.front().count;
        for (const Row& row : rows) {
            if (row.count != perRow)
                return RefuseAt(row.line,
                                ValuesText(row.count) + " in this row, " + std::to_string(perRow) +
                                    " in the first: the rows differ, so the picture's size "
                                    "must be given",
                                true);
        }
        // Every value is a whole byte of eight pixels.
        const long long width =
            perRow <= std::size_t(kMaxSide) ? mono::FirstColumnOf(int(perRow)) : LLONG_MAX;
        const long long height = (long long)rows.size();
        if (!Drawable(width, height)) return RefuseAll("the rows make a picture too large to read");
        return SourcePicture{Picture(int(width), int(height), std::move(values)), form,
                             std::nullopt};
    }

    static std::string CountText(std::size_t count, long long width, long long height) {
        return ValuesText(count) + " for a " + SizeText(width, height) + " picture";
    }

    std::optional<SourceReadResult> CheckGivenSize(const Call& call) const {
        if (m_size && (m_size->width != call.width || m_size->height != call.height))
            return RefuseAll("show_image draws a " + SizeText(call.width, call.height) +
                             " picture, not the " + SizeText(m_size->width, m_size->height) +
                             " given");
        return std::nullopt;
    }

    SourceReadResult ReadC() {
        // Type words and qualifiers, the last word the array's name.
        Token name;
        while (m_next.kind == Token::Word)
            name = Take();
        if (!TakePunct('[')) return Expected("'['");
        std::optional<long long> declared;
        if (m_next.kind == Token::Number) {
            const Token t = Take();
            declared = NumberValue(t.text, true);
            if (!declared) return RefuseAt(t.line, std::string(t.text) + " is not a number");
        }
        if (!TakePunct(']')) return Expected("']'");
        if (!TakePunct('=')) return Expected("'='");
        const int braceLine = m_next.line;
        if (!TakePunct('{')) return Expected("'{'");

        std::vector<std::uint8_t> values;
        std::vector<Row> rows;
        for (;;) {
            if (TakePunct('}')) break;
            if (m_next.kind != Token::Number) return Expected("a value or '}'");
            const int line = m_next.line;
            const std::optional<std::uint8_t> v = TakeByte(true);
            if (!v) return Refused();
            values.push_back(*v);
            if (rows.empty() || rows.back().line != line) rows.push_back({line, 0});
            ++rows.back().count;
            if (TakePunct(',')) continue;
            if (TakePunct('}')) break;
            return Expected("',' or '}'");
        }
        if (values.empty()) return RefuseAt(braceLine, "the array holds no values");
        if (declared && std::size_t(*declared) != values.size())
            return RefuseAt(name.line, "the array is declared with " + std::to_string(*declared) +
                                           " values but holds " + std::to_string(values.size()));
        TakePunct(';');

        if (m_next.kind == Token::End) return FromRows(rows, std::move(values), SourceForm::SaveC);
        if (m_next.kind != Token::Word || m_next.text != "show_image")
            return Expected("show_image or the end of the text");
        const std::optional<Call> taken = TakeCall(true);
        if (!taken) return Refused();
        const Call& call = *taken;
        if (call.target.text != name.text)
            return RefuseAt(call.target.line, "show_image draws " + std::string(call.target.text) +
                                                  ", not the array " + std::string(name.text));
        if (m_next.kind != Token::End) return Expected("the end of the text");
        if (auto refusal = CheckGivenSize(call)) return *refusal;
        const int width = int(call.width), height = int(call.height);
        if (values.size() != mono::ByteCount(width, height))
            return RefuseAll(CountText(values.size(), width, height));
        return SourcePicture{Picture(width, height, std::move(values)), SourceForm::ExportC,
                             ScreenPosition{int(call.x), int(call.y)}};
    }

    SourceReadResult ReadBasic() {
        static const std::string kStatement = "a string variable (\"name$ =\") or show_image";
        std::vector<std::uint8_t> values;
        std::vector<Variable> variables;
        std::vector<Call> calls;
        while (m_next.kind != Token::End) {
            if (m_next.kind == Token::Word && EqualsNoCase(m_next.text, "show_image")) {
                std::optional<Call> call = TakeCall(false);
                if (!call) return Refused();
                call->variablesBefore = variables.size();
                calls.push_back(*call);
                continue;
            }
            if (m_next.kind != Token::Word || m_next.text.back() != '$')
                return Expected(kStatement);
            const Token name = Take();
            if (!TakePunct('=')) return Expected("'='");
            Variable variable{name.text, name.line, values.size(), 0};
            do {
                if (m_next.kind != Token::Word || !EqualsNoCase(m_next.text, "chr$"))
                    return Expected("chr$(");
                Take();
                if (!TakePunct('(')) return Expected("'('");
                if (m_next.kind != Token::Number) return Expected("a value");
                const std::optional<std::uint8_t> v = TakeByte(false);
                if (!v) return Refused();
                values.push_back(*v);
                ++variable.count;
                if (!TakePunct(')')) return Expected("')'");
            } while (TakePunct('+'));
            TakePunct(';');
            variables.push_back(variable);
        }

        if (calls.empty()) {
            std::vector<Row> rows;
            for (const Variable& v : variables)
                rows.push_back({v.line, v.count});
            return FromRows(rows, std::move(values), SourceForm::SaveBasic);
        }

        // Each call draws one row, the rows in the order of the calls.
        const Call& first = calls.front();
        if (first.height != 1)
            return RefuseAt(first.line,
                            "a string is drawn 1 row high, not " + std::to_string(first.height));
        const Call size{0, 0, 0, first.width, (long long)calls.size(), {}, 0};
        if (auto refusal = CheckGivenSize(size)) return *refusal;
        if (!Drawable(size.width, size.height))
            return RefuseAll("show_image draws a " + SizeText(size.width, size.height) +
                             " picture, too large to read");
        const int width = int(first.width);
        const std::size_t perRow = std::size_t(mono::BytesPerRow(width));
        std::vector<std::uint8_t> bytes;
        bytes.reserve(perRow * calls.size());
        bool onePosition = true;
        for (std::size_t j = 0; j < calls.size(); ++j) {
            const Call& call = calls[j];
            if (call.height != 1)
                return RefuseAt(call.line,
                                "a string is drawn 1 row high, not " + std::to_string(call.height));
            if (call.width != first.width)
                return RefuseAt(call.line, "this row is drawn " + std::to_string(call.width) +
                                               " pixels wide, the first " +
                                               std::to_string(first.width));
            const Variable* variable = nullptr;
            for (std::size_t i = call.variablesBefore; i > 0 && !variable; --i) {
                if (variables[i - 1].name == call.target.text) variable = &variables[i - 1];
            }
            if (!variable)
                return RefuseAt(call.target.line, std::string(call.target.text) +
                                                      " is not assigned before show_image");
            if (variable->count != perRow)
                return RefuseAt(variable->line, std::string(variable->name) + " holds " +
                                                    ValuesText(variable->count) + " for a row " +
                                                    std::to_string(width) + " pixels wide");
            bytes.insert(bytes.end(), values.begin() + std::ptrdiff_t(variable->first),
                         values.begin() + std::ptrdiff_t(variable->first + variable->count));
            onePosition = onePosition && call.x == first.x && call.y == first.y + (long long)j;
        }
        std::optional<ScreenPosition> position;
        if (onePosition) position = ScreenPosition{int(first.x), int(first.y)};
        return SourcePicture{Picture(width, int(calls.size()), std::move(bytes)),
                             SourceForm::ExportBasic, position};
    }

    Lexer m_lexer;
    Token m_next;
    std::string_view m_name;
    std::optional<Size> m_size;
    std::optional<SourceReadResult> m_refusal;
};

}  // namespace

bool StartsLikeSourceText(std::string_view head) {
    Lexer lexer(head);
    Token t = lexer.Next();
    if (t.kind != Token::Word) return false;
    if (t.text.back() == '$') {
        t = lexer.Next();
        if (!IsPunct(t, '=')) return false;
        t = lexer.Next();
        return t.kind == Token::Word && EqualsNoCase(t.text, "chr$") && IsPunct(lexer.Next(), '(');
    }
    while (t.kind == Token::Word)
        t = lexer.Next();
    if (!IsPunct(t, '[')) return false;
    t = lexer.Next();
    if (t.kind == Token::Number) t = lexer.Next();
    if (!IsPunct(t, ']')) return false;
    return IsPunct(lexer.Next(), '=') && IsPunct(lexer.Next(), '{');
}

SourceReadResult ReadSourceText(std::string_view text, std::string_view name,
                                std::optional<Size> size) {
    return Reader(text, name, size).Read();
}

}  // namespace pictoma
