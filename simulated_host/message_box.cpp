// MessageBoxA in the simulated host: the scripted user answers the missing-entry dialog.
#include "simulated_host/message_box.h"

#include <cstdint>

#include "simulated_host/host.h"

namespace simhost {

#if !defined(_WIN32)
int AnswerMessageBox(const char* text, const char* caption, UINT type) {
  if (!Host::Running()) return 0;  // no one to show it to
  Host& host = Host::Current();
  int code = 0;
  const char* name = "none";
  switch (host.NextBoxAnswer()) {
    case BoxAnswer::kAbort:
      code = IDABORT;
      name = "abort";
      break;
    case BoxAnswer::kRetry:
      code = IDRETRY;
      name = "retry";
      break;
    case BoxAnswer::kIgnore:
      code = IDIGNORE;
      name = "ignore";
      break;
    case BoxAnswer::kNone:
      break;
  }
  // The texts are kept as the plug-in passed them: converted for Windows (Windows-1250).
  host.Show({"message_box", caption, text, static_cast<std::int32_t>(type), name});
  return code;
}
#endif

}  // namespace simhost
