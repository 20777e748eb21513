#pragma once
// A message sink for tests: records every message and answers from a queue (OK when it is empty).

#include <deque>
#include <string>
#include <vector>

#include "Messages.h"

namespace pictoma::test {

struct ShownMessage {
    std::string text;
    MsgIcon icon;
    MsgButtons buttons;
    bool operator==(const ShownMessage&) const = default;
};

class ScriptedSink : public MessageSink {
public:
    MsgAnswer Message(std::string_view text, MsgIcon icon, MsgButtons buttons) override {
        shown.push_back({std::string(text), icon, buttons});
        if (answers.empty()) return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& m : shown)
            t.push_back(m.text);
        return t;
    }
    std::deque<MsgAnswer> answers;
    std::vector<ShownMessage> shown;
};

}  // namespace pictoma::test
