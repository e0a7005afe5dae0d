#pragma once
// Start modes of the agent program: 0 is the resident agent, 1 to 6 each show one staff dialog.
// The mode comes from the command line (arguments after the program name, joined by blanks).
#include <optional>
#include <string>
#include <vector>

class StartMode {
public:
    enum Mode {
        Resident = 0,
        Notification = 1,
        Setting = 2,
        Patient = 3,
        Check = 4,
        FirstAppo = 5,
        Url = 6,
    };
    static constexpr int kCount = 7;

    // The first of the words "Notification", "SETTING", "PATIENT", "CHECK", "FIRSTAPPO", "URL"
    // (in this order) found anywhere in the command line, case-sensitive; 0 when none is.
    static int Detect(const std::string& commandLine);

    // Command word of a mode ("" for 0 and for values outside 0..6).
    static std::string Word(int mode);
    // The single-instance name of a mode (also the window-property name of its dialog).
    static std::string MutexName(int mode);
    // The name a running instance of the mode answers activation under; empty for mode 6,
    // whose dialog carries no property.
    static std::string PropertyName(int mode);
    // Caption of the mode's dialog (UTF-8, for messages on the terminal).
    static std::string DialogCaptionUtf8(int mode);

    // Text from just behind the first "KEY=" to the end; nullopt when there is no "KEY=".
    static std::optional<std::string> KeyArgument(const std::string& commandLine);

    // argv[1..] joined by single blanks.
    static std::string CommandLine(const std::vector<std::string>& args);
};
