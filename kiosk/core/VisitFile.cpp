#include "VisitFile.h"

#include "outside/tools/CTools.h"
#include "platform/FileOps.h"

#include <cstdio>
#include <fstream>
#include <iostream>

std::string VisitFile::DayFolder(const std::string& checkInFolder, const LocalTime& now) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d/", now.year, now.month, now.day);
    return checkInFolder + buf;
}

std::string VisitFile::FileName(const std::string& code, const LocalTime& now) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d_%02d%02d%02d_", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    return buf + code + ".dat";
}

VisitFile::Result VisitFile::Write(const std::string& checkInFolder, const std::string& code,
                                   const LocalTime& now) {
    const std::string day = DayFolder(checkInFolder, now);
    if (!CTools::MkDir(day)) {
        std::cerr << "arrivo: cannot create the visit folder " << day << "\n";
        return kFailed;
    }
    char mask[32];
    std::snprintf(mask, sizeof mask, "%04d%02d%02d_%02d%02d??_", now.year, now.month, now.day,
                  now.hour, now.minute);
    if (!platform::FindFiles(day, mask + code + ".dat").empty())
        return kSameMinute;
    const std::string path = day + FileName(code, now);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        std::cerr << "arrivo: cannot write the visit file " << path << "\n";
        return kFailed;
    }
    return kWritten;
}
