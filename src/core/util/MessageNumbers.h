#pragma once

// The numbered messages: each number names one situation, and its text comes from the string table.

namespace pellora {

inline constexpr int kMessageSocketsUnavailable = 1;
inline constexpr int kMessageConfirm = 2; // the one yes/no question
inline constexpr int kMessageNoDriverRight = 3;
inline constexpr int kMessageAnotherInstance = 4;
inline constexpr int kMessageCannotOpenFile = 5; // shown with the file's name
inline constexpr int kMessageCannotSave = 6;     // also an unusable driver package
inline constexpr int kMessageTextTooLong = 7;
inline constexpr int kMessageNoModelList = 24;
inline constexpr int kMessageInstanceFailed = 999;

// The pre-build check of the printers.
inline constexpr int kMessageNoPrinter = 9;
inline constexpr int kMessageNoPrinterName = 10;
inline constexpr int kMessageDuplicateName = 11;
inline constexpr int kMessageNoAddress = 14;
inline constexpr int kMessageNoModel = 15;
inline constexpr int kMessageNoDriverFolder = 17;
inline constexpr int kMessageShortAddress = 22;
inline constexpr int kMessageNoSettingsFile = 25;
inline constexpr int kMessageDriverFolder = 26;
inline constexpr int kMessageSettingsFile = 27;

} // namespace pellora
