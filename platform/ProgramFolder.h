#pragma once
#include <string>

namespace platform {

// Where the programs find PelmoV3.ini and Arrivo.ini (the program folder) and the registry
// store, in this order:
//   - $CORVANE_HOME when set: both live there (tests, side-by-side installs);
//   - an installed program, whose executable lies in <prefix>/bin/ beside <prefix>/share/corvane/:
//     the machine-wide folders, /etc/corvane/ and /var/lib/corvane/registry/ for the prefix /usr,
//     <prefix>/etc/corvane/ and <prefix>/var/lib/corvane/registry/ for any other prefix (a
//     settings file beside /usr/bin/apposync would be lost at the next upgrade);
//   - otherwise, as in a build folder, the executable's own folder and its registry/.
// Every folder returned ends with '/'.
std::string ProgramFolder();
std::string RegistryFolder();

// The same rule for a given $CORVANE_HOME value (empty: unset) and executable folder.
std::string ProgramFolderFor(const std::string& home, const std::string& exeFolder);
std::string RegistryFolderFor(const std::string& home, const std::string& exeFolder);

// "<prefix>/" when exeFolder is "<prefix>/bin/" and "<prefix>/share/corvane/" is a folder (the
// installed layout); empty otherwise.
std::string InstalledPrefix(const std::string& exeFolder);
// The machine-wide folders of an installed prefix: settings (program folder) and state (parent of
// the registry store). The prefix "/usr/" maps to /etc/corvane/ and /var/lib/corvane/.
std::string InstalledSettingsFolder(const std::string& prefix);
std::string InstalledStateFolder(const std::string& prefix);

} // namespace platform
