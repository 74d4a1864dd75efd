#pragma once
#include "platform/ui.h"

#include <deque>
#include <mutex>
#include <string>

namespace platform {

class CJsonLine;

// The backend for tests and automation, driven by a script file, one directive a line,
// each used once:
//   ok | cancel | yes | no [after <ms>]   the next message box's answer, given after
//                                         holding the box open that long; a box with
//                                         no answer left, or with one its buttons do
//                                         not offer, takes its default
//   press <button> in <dialog>            presses the button as soon as that dialog opens
//   press <button> in <dialog> when <bar> >= <position>
//                                         presses it when that bar reaches the position
// Every event is appended to a transcript file as one JSON object per line (UTF-8).
class CScriptUi : public IUiBackend {
public:
    // Either path may be empty: no script answers everything with defaults, no
    // transcript records nothing.
    CScriptUi(const std::string& scriptPath, const std::string& transcriptPath);

    int ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style, int ownerDialogId) override;
    void DialogOpened(const DialogView& dialog) override;
    void DialogEnded(const DialogView& dialog, int result) override;
    void TextChanged(const DialogView& dialog, int controlId) override;
    void BarMoved(const DialogView& dialog, int controlId) override;

    // Appends one event to the transcript; the line is complete before it returns.
    void Record(const CJsonLine& event);

private:
    struct Answer {
        int answer = 0;
        unsigned holdMilliseconds = 0;
    };
    struct Press {
        int button = 0;
        int dialog = 0;
        // 0: as soon as the dialog opens.
        int bar = 0;
        int position = 0;
    };

    void AddDirective(const std::string& line);
    Answer NextAnswer(unsigned style);
    // Takes the first press line that fits; false when none does.
    bool TakePress(int dialog, int bar, int position, Press& press);
    void RecordPress(const DialogView& dialog, int button);

    std::mutex m_lock;
    std::deque<Answer> m_answers;
    std::deque<Press> m_presses;
    std::string m_transcriptPath;
};

}  // namespace platform
