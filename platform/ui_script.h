#pragma once
#include "platform/ui.h"

#include <deque>
#include <mutex>
#include <string>

namespace platform {

class CJsonLine;

// The backend for tests and automation. Answers come from a script file, one per
// line in the order the boxes appear ("ok", "cancel", "yes", "no"); a box with no
// answer left, or with an answer its buttons do not offer, takes its default.
// Every event is appended to a transcript file as one JSON object per line (UTF-8).
class CScriptUi : public IUiBackend {
public:
    // Either path may be empty: no script answers everything with defaults, no
    // transcript records nothing.
    CScriptUi(const std::string& scriptPath, const std::string& transcriptPath);

    int ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style) override;
    // Appends one event to the transcript; the line is complete before it returns.
    void Record(const CJsonLine& event);

private:
    int NextAnswer(unsigned style);

    std::mutex m_lock;
    std::deque<std::string> m_answers;
    std::string m_transcriptPath;
};

}  // namespace platform
