// Any bytes as a search expression. The first byte picks the way in: a raw truth string through
// the check and the evaluation, a well-formed expression built from the bytes whose value is
// known, or a search-box text matched against a headline title. Every input must end.

#include "FuzzInput.h"
#include "app/Ports.h"
#include "news/NewsItem.h"
#include "present/HeadlineSearch.h"
#include "present/Math.h"

namespace {

// Counts the boxes instead of showing them; ending the program is only noted.
class SilentPrompt : public Ports::PromptPort {
public:
    int boxes = 0, ends = 0;
    Ports::MsgAnswer MessageBox(const QString&, const QString&, Ports::MsgIcon,
                                Ports::MsgButtons) override {
        ++boxes;
        return Ports::MsgAnswer::Ok;
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void EndProgram() override { ++ends; }
};

SilentPrompt& Prompt() {
    static SilentPrompt prompt;
    return prompt;
}

// Every operation in its own brackets, so the value does not depend on any precedence. No "!":
// a search never puts one into a truth string.
QString Build(FuzzInput::Reader& in, int depth, bool& value) {
    const uint8_t b = in.Byte();
    const int kind = depth > 40 ? 0 : b % 3;
    if (kind == 0) {
        value = b & 4;
        return value ? QStringLiteral("T") : QStringLiteral("F");
    }
    bool left = false, right = false;
    const QString a = Build(in, depth + 1, left);
    const QString c = Build(in, depth + 1, right);
    value = kind == 1 ? (left && right) : (left || right);
    return QLatin1Char('(') + a + QLatin1Char(kind == 1 ? '&' : '|') + c + QLatin1Char(')');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Ports::SetPrompt(&Prompt());
    FuzzInput::Reader in(data, size);
    switch (in.Byte() % 3) {
    case 0: {
        const QString truth = in.Strings(1).front();
        Prompt().boxes = Prompt().ends = 0;
        const bool ok = Math::CheckExpression(truth, true);
        FUZZ_CHECK(Prompt().boxes == (ok ? 0 : 1));
        FUZZ_CHECK(Math::CheckExpression(truth, false) == ok);
        const bool value = Math::EvaluateExpression(truth);
        FUZZ_CHECK(Prompt().ends == (ok ? 0 : 1));
        if (!ok)
            FUZZ_CHECK(!value);
        Math::ReduceTruthString(truth);
        break;
    }
    case 1: {
        bool expected = false;
        const QString truth = Build(in, 0, expected);
        FUZZ_CHECK(Math::CheckExpression(truth, false));
        FUZZ_CHECK(Math::ReduceTruthString(truth) == expected);
        break;
    }
    case 2: {
        const QStringList parts = in.Strings(2);
        News::NewsItem item;
        item.Title = parts[1];
        const Present::CompiledExpression expression(parts[0]);
        const QString truth = expression.TruthString(item);
        const bool hit = expression.Matches(item);
        if (!Math::CheckExpression(truth, false))
            FUZZ_CHECK(!hit);
        break;
    }
    }
    return 0;
}
