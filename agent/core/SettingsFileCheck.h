#pragma once
// What is wrong with the two settings files the agent cannot work without: the product settings
// file (PelmoV3.ini, which names the database folder) and "Apposync.ini" there (web connection
// values). Without this, a missing file only shows as connection failures much later.
#include <string>
#include <vector>

// One Japanese line (CP932) per problem, naming the file and what is wrong: missing, unreadable,
// empty (nothing but blanks and line ends), or - for the product settings file - no
// [GLOBAL] DATABASE. Apposync.ini is looked at only when the database folder is known. Empty
// when both files are usable.
std::vector<std::string> SettingsFileProblems();
