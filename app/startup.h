// Start-up of the program: builds and shows the main window and runs the
// event loop.
//
// RunMarvoset returns the process exit status: 0 once the window has been
// closed; kStartupFailedStatus when the window cannot be created, for
// example without a display. That failure is reported on standard error and,
// where a message box can be shown, in one; it never aborts the process.
#pragma once

#include <string_view>

namespace marvoset {

inline constexpr int kStartupFailedStatus = 1;
inline constexpr std::string_view kStartupFailedText =
    "Marvoset: 启动窗口载入失败 (the start-up window failed to load)";

int RunMarvoset(int argc, char** argv);

}  // namespace marvoset
