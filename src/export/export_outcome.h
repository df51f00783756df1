#pragma once

namespace kalvento {

// How an export ended. The window shows nothing for any of them; the command line reports them.
enum class ExportOutcome {
  kWritten,
  kStopped,     // Escape and Yes: the file holds the rows up to the stop, complete in its format
  kDeclined,    // the file exists and the user kept it
  kNotWritten,  // the file could not be created or written
};

}  // namespace kalvento
