// The user's answers to MessageBoxA, which the plug-in calls only for the missing-entry dialog.
#pragma once

#include "platform/win32.h"

namespace simhost {

#if !defined(_WIN32)
// Gives the running host's next scripted answer (Config::missing_entry_answers) and records the box as
// a message of kind "message_box". The answer "none" is a box that could not be shown: 0.
int AnswerMessageBox(const char* text, const char* caption, UINT type);
#endif

}  // namespace simhost
