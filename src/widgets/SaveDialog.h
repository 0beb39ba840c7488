#pragma once

// The system's Save dialog for a text file.

#include <windows.h>

#include <string>

namespace vp::widgets {

// Asks where to save a text file, starting in folder; typeCaption names the
// "*.txt" filter. A name typed without an extension gets ".txt" before the
// dialog checks it, so that the overwrite prompt is about the file that will
// be written. Empty when the user cancelled.
std::string AskTextFileName(HWND owner, const std::string& typeCaption, const std::string& folder);

}  // namespace vp::widgets
