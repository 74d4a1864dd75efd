#include "platform/ui_script.h"

#include "platform/json_line.h"
#include "platform/message_box.h"

#include <fstream>

namespace platform {

namespace {

std::string Trimmed(const std::string& line)
{
    const auto first = line.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

CScriptUi::CScriptUi(const std::string& scriptPath, const std::string& transcriptPath)
    : m_transcriptPath(transcriptPath)
{
    if (scriptPath.empty())
        return;
    std::ifstream script(scriptPath);
    for (std::string line; std::getline(script, line);) {
        if (!Trimmed(line).empty())
            m_answers.push_back(Trimmed(line));
    }
}

int CScriptUi::ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style)
{
    const int answer = NextAnswer(style);
    Record(CJsonLine()
               .Add("event", "messagebox")
               .Add("title", title)
               .Add("text", text)
               .Add("style", static_cast<long long>(style))
               .Add("answer", AnswerName(answer)));
    return answer;
}

void CScriptUi::Record(const CJsonLine& event)
{
    if (m_transcriptPath.empty())
        return;
    std::lock_guard<std::mutex> hold(m_lock);
    std::ofstream transcript(m_transcriptPath, std::ios::app | std::ios::binary);
    transcript << event.Text() << '\n';
}

int CScriptUi::NextAnswer(unsigned style)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_answers.empty())
        return DefaultAnswer(style);
    const int answer = AnswerFromName(m_answers.front());
    m_answers.pop_front();
    return AnswerFits(style, answer) ? answer : DefaultAnswer(style);
}

}  // namespace platform
