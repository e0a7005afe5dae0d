#pragma once
// How the cycle names an entry file it could not send, so the front desk can find it.
#include <string>

// The file's name without its folder.
std::string EntryFileName(const std::string& path);

// The name without folder and extension (a patient file's key).
std::string EntryFileStem(const std::string& path);

// The key line of the entry as it stands in the file: "RegNo=..." of a reservation file,
// "SaleReg=..." of a payment file, "PatientReg=... MemoNo=..." of a treatment file, the addressee
// line of a notice file; the stem of a patient file's name. Each line is cut to 64 bytes. Empty
// when the file cannot be read or has no such line.
std::string EntryFileKey(const std::string& path);
