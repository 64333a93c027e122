// Reads the agent's settings through the parameters library, as the real agent does at
// start, and writes what it read into the report.
#pragma once

void ReportSettings();
