#include "platform/ui_script.h"

#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/dialog_view.h"
#include "platform/files.h"
#include "platform/json_line.h"
#include "platform/message_box.h"
#include "platform/text.h"

#include <cstdio>
#include <memory>
#include <sstream>
#include <vector>

namespace platform {

namespace {

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// A whole non-negative decimal number; -1 otherwise.
long long Number(const std::string& word)
{
    if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::stoll(word);
}

// The file named by a UTF-8 path, opened through the platform layer (a narrow fstream
// would read the name in the system's code page on Windows).
std::unique_ptr<std::FILE, int (*)(std::FILE*)> OpenUtf8(const std::string& path, const char* mode)
{
    return {OpenFileStream(WideFromUtf8(path), mode), std::fclose};
}

std::string ReadWhole(const std::string& path)
{
    std::string bytes;
    const auto file = OpenUtf8(path, "rb");
    if (!file)
        return bytes;
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
        bytes.append(buffer, read);
    return bytes;
}

}  // namespace

CScriptUi::CScriptUi(const std::string& scriptPath, const std::string& transcriptPath)
    : m_transcriptPath(transcriptPath)
{
    if (scriptPath.empty())
        return;
    std::istringstream script(ReadWhole(scriptPath));
    for (std::string line; std::getline(script, line);)
        AddDirective(line);
}

// A line that is neither a press nor a known answer still uses up one box, which then
// takes its default.
void CScriptUi::AddDirective(const std::string& line)
{
    const std::vector<std::string> words = Words(line);
    if (words.empty())
        return;
    if (words[0] == "press" && (words.size() == 4 || words.size() == 8) && words[2] == "in") {
        Press press{static_cast<int>(Number(words[1])), static_cast<int>(Number(words[3]))};
        if (words.size() == 8 && words[4] == "when" && words[6] == ">=") {
            press.bar = static_cast<int>(Number(words[5]));
            press.position = static_cast<int>(Number(words[7]));
        }
        if (press.button >= 0 && press.dialog >= 0 && press.bar >= 0 && press.position >= 0 && (words.size() == 4 || press.bar > 0)) {
            m_presses.push_back(press);
            return;
        }
    }
    Answer answer{AnswerFromName(words[0])};
    if (words.size() == 3 && words[1] == "after" && Number(words[2]) >= 0)
        answer.holdMilliseconds = static_cast<unsigned>(Number(words[2]));
    else if (words.size() != 1)
        answer.answer = 0;
    m_answers.push_back(answer);
}

int CScriptUi::ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style, int ownerDialogId)
{
    const Answer answer = NextAnswer(style);
    SleepMilliseconds(answer.holdMilliseconds);
    Record(CJsonLine()
               .Add("event", "messagebox")
               .Add("title", title)
               .Add("text", text)
               .Add("style", static_cast<long long>(style))
               .Add("answer", AnswerName(answer.answer))
               .Add("owner", static_cast<long long>(ownerDialogId)));
    return answer.answer;
}

void CScriptUi::DialogOpened(const DialogView& dialog)
{
    Record(CJsonLine().Add("event", "dialog").Add("dialog", dialog.id).Add("title", dialog.title).Add("action", "open"));
    Press press;
    if (TakePress(dialog.id, 0, 0, press)) {
        RecordPress(dialog, press.button);
        PressDialogButton(dialog.handle, press.button);
    }
}

void CScriptUi::DialogEnded(const DialogView& dialog, int result)
{
    Record(CJsonLine().Add("event", "dialog").Add("dialog", dialog.id).Add("action", "end").Add("result", result));
}

void CScriptUi::TextChanged(const DialogView& dialog, int controlId)
{
    const ControlView* control = dialog.Control(controlId);
    Record(CJsonLine().Add("event", "text").Add("dialog", dialog.id).Add("control", controlId).Add("text", control ? control->text : L""));
}

// A press at a bar position is handled before the bar moves on: the thread that moved
// the bar waits for the button's handling, so what the press causes (a question, a
// cancel) is in effect at exactly that position.
void CScriptUi::BarMoved(const DialogView& dialog, int controlId)
{
    const ControlView* bar = dialog.Control(controlId);
    const int position = bar ? bar->position : 0;
    Record(CJsonLine().Add("event", "bar").Add("dialog", dialog.id).Add("control", controlId).Add("pos", position));
    Press press;
    if (TakePress(dialog.id, controlId, position, press)) {
        RecordPress(dialog, press.button);
        SendDialogCommand(dialog.handle, press.button);
    }
}

void CScriptUi::Record(const CJsonLine& event)
{
    if (m_transcriptPath.empty())
        return;
    std::lock_guard<std::mutex> hold(m_lock);
    const std::string line = event.Text() + '\n';
    if (const auto transcript = OpenUtf8(m_transcriptPath, "ab"))
        std::fwrite(line.data(), 1, line.size(), transcript.get());
}

CScriptUi::Answer CScriptUi::NextAnswer(unsigned style)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_answers.empty())
        return {DefaultAnswer(style)};
    Answer answer = m_answers.front();
    m_answers.pop_front();
    if (!AnswerFits(style, answer.answer))
        answer.answer = DefaultAnswer(style);
    return answer;
}

bool CScriptUi::TakePress(int dialog, int bar, int position, Press& press)
{
    std::lock_guard<std::mutex> hold(m_lock);
    for (auto it = m_presses.begin(); it != m_presses.end(); ++it) {
        if (it->dialog == dialog && it->bar == bar && position >= it->position) {
            press = *it;
            m_presses.erase(it);
            return true;
        }
    }
    return false;
}

void CScriptUi::RecordPress(const DialogView& dialog, int button)
{
    Record(CJsonLine().Add("event", "press").Add("dialog", dialog.id).Add("control", button));
}

}  // namespace platform
