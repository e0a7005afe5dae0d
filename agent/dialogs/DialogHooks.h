#pragma once
// The modal helpers of the settings dialog and its first-visit group: the slot chooser, the
// save-file dialog, message boxes and the shell's "open". Windows set real ones; tests replace
// them.
#include <functional>
#include <string>

#include "agent/dialogs/BookingMode.h"

struct DialogHooks {
    // Gets the booking mode and the slot text; true with the new text on OK.
    std::function<bool(BookingMode mode, std::string& slotCodes)> chooseSlots;
    // Gets the suggested file name (CP932); the chosen path, "" on cancel.
    std::function<std::string(const std::string& suggestedName)> chooseFile;
    // Shows a message (CP932).
    std::function<void(const std::string& text)> inform;
    // Opens an address (CP932).
    std::function<bool(const std::string& address)> open;

    // Asks for a file and saves the address there as a QR image; a file that cannot be written
    // is reported through inform.
    void SaveQr(const std::string& address, const std::string& suggestedName) const;
};
