#pragma once
// Remembers where a top-level window was and how big, across runs: one text value ("Geometry")
// under a key of the registry store's user hive, as desktop programs keep their window
// placement per user and per PC.
#include "platform/RegistryStore.h"

#include <string>

class QWidget;

namespace platform {

class WindowPlacement {
public:
    // `key` is the registry key path (for example "SOFTWARE\\Talmor\\Apposync\\MainWindow").
    WindowPlacement(RegistryStore store, std::string key);

    // Puts `window` where it was saved: its normal size and position and whether it was
    // maximised. A placement that no longer fits the screens (another resolution, a screen
    // gone) is moved and cut to the available area. False, with the window unchanged, when
    // nothing usable is stored.
    bool Restore(QWidget& window) const;
    // Stores the window's normal geometry and maximised state. False when the store could not
    // be written.
    bool Save(const QWidget& window);

private:
    RegistryStore m_store;
    std::string m_key;
};

} // namespace platform
