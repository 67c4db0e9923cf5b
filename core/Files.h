// Taking paths apart, choosing a folder and creating a folder path.
// The separator is "/"; comparisons are exact.
#pragma once

#include <QString>

// The text after the last "/"; the whole text when there is none.
QString GetFileName(const QString& path);
// The text after the last "." of the file-name part; "" when it has none.
QString GetFileExtension(const QString& path);
// The text before the last "/"; "" when there is none ("/Lied.mp3" gives "").
QString GetParentFolder(const QString& path);
// Lets the user choose a folder (directories only); "" when cancelled.
QString BrowseFolder(const QString& prompt);
// Creates every missing folder of the path. Failures are not reported: the
// caller finds out when it writes into the path.
void CreatePath(const QString& path);
