#pragma once
// Message boxes as the Qt-free core sees them: a text, an icon, a set of buttons and the answer.
// The editor shows a real message box, the command-line programs print to standard error, the
// tests record what was asked and answer from a script.

#include <string_view>

namespace pictoma {

enum class MsgIcon { Warning, Stop, Question, Information };
enum class MsgButtons { Ok, YesNo, SaveDiscardCancel };
enum class MsgAnswer { Ok, Yes, No, Save, Discard, Cancel };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows `text` modally and returns the button the user chose.
    virtual MsgAnswer Message(std::string_view text, MsgIcon icon, MsgButtons buttons) = 0;
};

}  // namespace pictoma
