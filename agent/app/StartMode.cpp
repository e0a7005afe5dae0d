#include "agent/app/StartMode.h"

namespace {

constexpr const char* kBaseName = "TALMOR CORPORATION APPOSYNC 1.0 APPLICATION";

struct ModeRow {
    const char* word;
    const char* mutexSuffix;
    const char* caption;
};

// Index = mode. The words are tested from mode 1 on; mode 0 has none.
const ModeRow kModes[StartMode::kCount] = {
    {"", "", "予約情報送信"},
    {"Notification", " CMD=NOTIFICATION", "お知らせ"},
    {"SETTING", " CMD=SETTING", "設定"},
    {"PATIENT", " CMD=PATIENT", "送信履歴"},
    {"CHECK", " CMD=CHECK", "予約の重複エラー"},
    {"FIRSTAPPO", " CMD=FIRSTAPPO", "Web予約の詳細"},
    {"URL", " CMD=URL", "URL設定"},
};

bool Valid(int mode) {
    return mode >= 0 && mode < StartMode::kCount;
}

} // namespace

int StartMode::Detect(const std::string& commandLine) {
    for (int mode = 1; mode < kCount; ++mode)
        if (commandLine.find(kModes[mode].word) != std::string::npos)
            return mode;
    return Resident;
}

std::string StartMode::Word(int mode) {
    return Valid(mode) ? kModes[mode].word : "";
}

std::string StartMode::MutexName(int mode) {
    return std::string(kBaseName) + (Valid(mode) ? kModes[mode].mutexSuffix : "");
}

std::string StartMode::PropertyName(int mode) {
    return mode == Url ? std::string() : MutexName(mode);
}

std::string StartMode::DialogCaptionUtf8(int mode) {
    return Valid(mode) ? kModes[mode].caption : "";
}

std::optional<std::string> StartMode::KeyArgument(const std::string& commandLine) {
    const auto pos = commandLine.find("KEY=");
    if (pos == std::string::npos)
        return std::nullopt;
    return commandLine.substr(pos + 4);
}

std::string StartMode::CommandLine(const std::vector<std::string>& args) {
    std::string line;
    for (const auto& arg : args) {
        if (!line.empty())
            line += ' ';
        line += arg;
    }
    return line;
}
