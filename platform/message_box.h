#pragma once
#include "platform/dialog.h"

#include <string>
#include <string_view>

namespace platform {

// Box styles and answers keep the numbers the updater has always used, so a
// transcript or a caller can compare them with the classic constants.
constexpr unsigned kBoxOk = 0x0;
constexpr unsigned kBoxOkCancel = 0x1;
constexpr unsigned kBoxYesNo = 0x4;
constexpr unsigned kBoxSystemModal = 0x1000;

constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

// Shows a message box through the process's user interface backend and returns the
// answer (kAnswer...). The owner is a dialog or 0 for none.
int ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style, WindowHandle owner = 0);

// The answer a box gives when nobody can answer it: OK, or No for a yes/no question.
int DefaultAnswer(unsigned style);
// True when the box's buttons include this answer.
bool AnswerFits(unsigned style, int answer);
// "ok", "cancel", "yes", "no"; empty for anything else.
std::string AnswerName(int answer);
// The inverse of AnswerName, ignoring case; 0 when the word names no answer.
int AnswerFromName(std::string_view word);

}  // namespace platform
