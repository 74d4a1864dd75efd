#pragma once

namespace platform {

// The updater's start-up steps that cannot fail here. Each succeeds unless the
// environment variable VEXA_FAULT lists its fault name ("module_handle",
// "framework_init"; comma-separated), so tests can reach the failure paths.
bool GetModuleHandleOk();
bool InitApplicationFramework();

}  // namespace platform
