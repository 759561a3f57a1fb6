// The raw-file dialog of the Tavrion provider, through the platform's
// dialog service: a file-open dialog for one existing ".raw" file.
#pragma once

#include <string>

// Shows "Open Corvane Pardinel Tavrion File" starting in startPath when it
// exists (the folder itself, or the folder of a file). On confirmation
// dataSource becomes the chosen file's data-source string
// (MakeTavrionDataSource) and the answer is true; false when cancelled,
// and for a chosen path of 260 characters or more, which did not fit the
// dialog's name buffer.
bool BrowseTavrionFile(const std::wstring& startPath, std::wstring& dataSource);
