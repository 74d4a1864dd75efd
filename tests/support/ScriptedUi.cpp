#include "tests/support/ScriptedUi.h"

#include "tests/support/ClientTree.h"

namespace testing_support {

ScriptedUi::ScriptedUi(const std::string& script)
{
    WriteFileBytes(dir_.Path() / "script.txt", script);
    ui_ = std::make_unique<platform::CScriptUi>((dir_.Path() / "script.txt").string(), (dir_.Path() / "ui.jsonl").string());
    previous_ = &platform::ReplaceUi(*ui_);
}

ScriptedUi::~ScriptedUi()
{
    platform::ReplaceUi(*previous_);
}

std::string ScriptedUi::Transcript() const
{
    return ReadFileBytes(dir_.Path() / "ui.jsonl");
}

}  // namespace testing_support
