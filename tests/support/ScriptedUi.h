#pragma once
#include "platform/ui_script.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>

namespace testing_support {

// Makes a script backend the process's user interface for the lifetime of the object,
// with the given script, and reads back its transcript.
class ScriptedUi {
public:
    explicit ScriptedUi(const std::string& script = "");
    ~ScriptedUi();
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;

    std::string Transcript() const;

private:
    TempDir dir_;
    std::unique_ptr<platform::CScriptUi> ui_;
    platform::IUiBackend* previous_;
};

}  // namespace testing_support
