#pragma once
#include <string>
#include <vector>

#include "plot/OziLine.h"

// The day files named on the command line of plot and gpx, and what is said about them.

bool EndsWith(const std::string& text, const char* end);
// The path without its three-letter extension and dot.
std::string WithoutExtension(const std::string& path);
std::string BaseName(const std::string& path);

// The days named: each file as it is, each folder's .plt files by name, which is by
// date (datedOnly: only those named YYYY-MM-DD.plt). 0, or 2 after saying why a folder
// could not be listed or held none. *folderNamed tells whether a folder was named.
int CollectDays(const std::vector<std::string>& arguments, bool datedOnly, std::vector<std::string>* days,
                bool* folderNamed);

// "file: N lines skipped, the first is line L" when a file had lines that could not be read.
void ReportSkipped(const std::string& path, const SkippedLines& skipped, const char* what);
