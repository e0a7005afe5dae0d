#pragma once
// The bulk sends without a window: `apposync --headless --send-all-patients` and
// `--send-all-memos`. The same BulkSend as the window's buttons, with no confirmation (the
// option is the confirmation) and no cycle timer; every log line goes to `out` (UTF-8), progress
// lines included.
#include <ostream>

class ClinicSettings;
class WebSession;

enum class BulkKind { Patients, Memos };

// After start-up: the profile file is set and web holds the deciphered connection values.
// replaceProgress: a progress line overwrites the previous one ("\r", for a terminal) instead of
// taking a line of its own. SIGINT or SIGTERM ends the walk after the current record.
// Returns 0 when every record was walked, 1 when the send did not start or stopped early.
int RunHeadlessBulkSend(const ClinicSettings& settings, WebSession& web, BulkKind kind,
                        std::ostream& out, bool replaceProgress);
