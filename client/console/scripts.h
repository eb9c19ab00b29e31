#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/platform/core/text_file.h"

namespace kb {

// One running script: a cursor into its file that the frame loop moves on
// (StepScripts), so a script needs no thread and nothing to lock. "delay" and
// an open message box are waits of the cursor.
struct ScriptCursor {
  std::string name;
  TextFileReader reader;
  int64_t due = 0;                               // the next line runs from then on
  std::shared_ptr<const std::atomic<bool>> box;  // a message box it waits for, until set
  bool ended = false;
};

struct Scripts {
  // A script that starts itself would otherwise multiply without end.
  static constexpr int kMaxRunning = 16;

  std::vector<std::unique_ptr<ScriptCursor>> cursors;
  // The script whose line is running, if any: its waits are set on it.
  ScriptCursor* current = nullptr;

  int Running() const { return static_cast<int>(cursors.size()); }
};

}  // namespace kb
