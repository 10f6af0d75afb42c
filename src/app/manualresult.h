#pragma once

#include <QString>

// Opening the user manual: the outcome codes and the message for each.
namespace ManualResult {

constexpr int OutOfMemory = 0;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int BadFormat = 11;
constexpr int NoAssociation = 31;
constexpr int Success = 33; // anything above 32 is success

inline const char* const ManualFileName = "Scorvane Rodeo Software Manual.pdf";
inline const char* const ReaderDownloadUrl = "https://get.adobe.com/reader/";

// Decides the outcome before anything is started: the manual must be a
// readable file in an existing folder.
int checkManual(const QString& path);
// The message shown for a failed outcome; empty for success.
QString message(int code);

} // namespace ManualResult
