// The test agent's report: what it did, one line per event, in
// CorvexWorkstation.report beside the executable, so that a test can read it back.
#pragma once

#include <string>

// Sets the folder that holds the report (the executable's own folder).
void SetReportFolder(const std::wstring& folder);

// Appends one line (UTF-8) to the report; safe to call from any thread.
void Report(const std::string& line);
