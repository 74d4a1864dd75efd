#pragma once
#include <optional>
#include <string>

#include "platform/window_messages.h"

// What a game client needs to hear the updater's answer to "vexa checkupdate <title>".
// A client can take this pair of files as it is; it needs only platform/window_messages.h.

// WM_UPDATE_RESULT (WM_USER + 9): wParam carries the result, lParam is 0.
constexpr unsigned kUpdateResultMessage = 0x0409;

// The updater's answer, the wParam of kUpdateResultMessage.
enum class UpdateResult { Optional = 0, Forced = 1, None = 2, CheckFailed = 3 };

// The client's window under its title: the updater finds it by that exact title.
class CUpdateResultReceiver {
public:
    explicit CUpdateResultReceiver(const std::wstring& title) : window_(title) {}

    // False when another live window holds the title or no endpoint can be made.
    bool IsOpen() const { return window_.IsOpen(); }
    // The next message posted to the window, of any kind; nothing within timeoutMs.
    std::optional<platform::WindowMessage> Next(int timeoutMs);

    // The answer a message carries; nothing for another message or an unknown value.
    static std::optional<UpdateResult> ResultOf(const platform::WindowMessage& message);

private:
    platform::CMessageWindow window_;
};
