#include "UpdateResultReceiver.h"

std::optional<platform::WindowMessage> CUpdateResultReceiver::Next(int timeoutMs)
{
    platform::WindowMessage message;
    if (!window_.WaitMessage(message, timeoutMs))
        return std::nullopt;
    return message;
}

std::optional<UpdateResult> CUpdateResultReceiver::ResultOf(const platform::WindowMessage& message)
{
    if (message.message != kUpdateResultMessage || message.wParam > static_cast<unsigned>(UpdateResult::CheckFailed))
        return std::nullopt;
    return static_cast<UpdateResult>(message.wParam);
}
