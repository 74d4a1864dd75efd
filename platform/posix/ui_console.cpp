#include "platform/ui_console.h"

#include "platform/message_box.h"
#include "platform/text.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <iostream>
#include <string>

namespace platform {

namespace {

const char* Prompt(unsigned style)
{
    if (!AnswerFits(style, kAnswerCancel) && !AnswerFits(style, kAnswerYes))
        return "[Enter] ";
    return AnswerFits(style, kAnswerYes) ? "[yes/no] " : "[ok/cancel] ";
}

// Accepts the whole word or its first letter.
int ParseReply(const std::string& reply, unsigned style)
{
    for (int answer : {kAnswerOk, kAnswerCancel, kAnswerYes, kAnswerNo}) {
        const std::string name = AnswerName(answer);
        if (AnswerFits(style, answer) && !reply.empty() &&
            (AnswerFromName(reply) == answer || (reply.size() == 1 && std::tolower(static_cast<unsigned char>(reply[0])) == name[0])))
            return answer;
    }
    return 0;
}

}  // namespace

CConsoleUi::CConsoleUi() : m_interactive(isatty(STDIN_FILENO) == 1) {}

int CConsoleUi::ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style)
{
    std::cout << "[" << Utf8FromWide(title) << "] " << Utf8FromWide(text) << std::endl;
    if (!m_interactive)
        return DefaultAnswer(style);
    return AskTerminal(style);
}

int CConsoleUi::AskTerminal(unsigned style)
{
    for (;;) {
        std::cout << Prompt(style) << std::flush;
        std::string reply;
        if (!std::getline(std::cin, reply))
            return DefaultAnswer(style);
        if (reply.empty() && !AnswerFits(style, kAnswerYes))
            return kAnswerOk;
        if (const int answer = ParseReply(reply, style))
            return answer;
    }
}

}  // namespace platform
