#include "platform/message_box.h"

#include "platform/ui.h"

#include <cctype>

namespace platform {

namespace {

constexpr unsigned kButtonMask = 0xF;

}  // namespace

int ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style, WindowHandle owner)
{
    return CurrentUi().ShowMessageBox(text, title, style, DialogTemplateId(owner));
}

int DefaultAnswer(unsigned style)
{
    return (style & kButtonMask) == kBoxYesNo ? kAnswerNo : kAnswerOk;
}

bool AnswerFits(unsigned style, int answer)
{
    switch (style & kButtonMask) {
    case kBoxOkCancel:
        return answer == kAnswerOk || answer == kAnswerCancel;
    case kBoxYesNo:
        return answer == kAnswerYes || answer == kAnswerNo;
    default:
        return answer == kAnswerOk;
    }
}

std::string AnswerName(int answer)
{
    switch (answer) {
    case kAnswerOk: return "ok";
    case kAnswerCancel: return "cancel";
    case kAnswerYes: return "yes";
    case kAnswerNo: return "no";
    default: return {};
    }
}

int AnswerFromName(std::string_view word)
{
    std::string lower;
    for (char c : word)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int answer : {kAnswerOk, kAnswerCancel, kAnswerYes, kAnswerNo}) {
        if (AnswerName(answer) == lower)
            return answer;
    }
    return 0;
}

}  // namespace platform
