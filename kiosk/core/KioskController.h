#pragma once
// The kiosk's behaviour without a window: the input buffer fed by key codes, processing of a
// scan (lookup, display state, visit file), the timers as method calls and the texts to paint.
// The view forwards key-downs and timer ends here and applies the returned KioskEffects.
#include "LocalTime.h"
#include "platform/Clock.h"

#include <string>
#include <vector>

class KioskSettings;

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};

// One text row below the clock row, CP932.
struct KioskRow {
    std::string text;
    Rgb colour;
};

// What the view must do after an event.
struct KioskEffects {
    enum class InputTimer { Keep, Restart, Stop };
    InputTimer inputTimer = InputTimer::Keep;
    int startDisplayTimerMs = 0; // > 0: (re)start the display timer with this interval
    bool stopDisplayTimer = false;
    bool repaint = false;
    bool openSettings = false;
};

class KioskController {
public:
    // Key codes a keyboard-wedge reader produces (virtual-key codes).
    static constexpr int kKeyEnter = 0x0D;
    static constexpr int kKeyDigit0 = 0x30; // main row 0x30-0x39
    static constexpr int kKeyPad0 = 0x60;   // numeric pad 0x60-0x69
    static constexpr int kKeyF12 = 0x7B;

    static constexpr int kClockTimerMs = 10000;
    static constexpr int kInputTimerMs = 5000;
    static constexpr int kShortDisplayMs = 5000; // unreadable scan
    static constexpr int kLongDisplayMs = 10000;
    static constexpr std::size_t kCodeLength = 10;

    // Both must outlive the controller; settings may change between events (settings dialog).
    KioskController(const platform::Clock& clock, const KioskSettings& settings);

    // A key-down: restarts the input timer; digits are buffered, Enter processes the buffer,
    // F12 asks for the settings dialog, every other key is ignored. A buffer reaching ten digits
    // is processed at once.
    KioskEffects OnKeyDown(int virtualKey);
    // Processes the buffer (Enter or the window's default command). An empty buffer does
    // nothing; other than ten digits shows kUnreadable without a visit file; ten digits run the
    // lookup (or accept, with lookups off) and write the visit file.
    KioskEffects ProcessInput();
    // Input timer ended: the partial scan is dropped, nothing repainted.
    KioskEffects OnInputTimer();
    // Display timer ended: back to the waiting state.
    KioskEffects OnDisplayTimer();

    int GetDisplayState() const { return m_state; }
    const std::string& GetBuffer() const { return m_buffer; }
    const std::string& GetPatientName() const { return m_name; }
    const std::string& GetReservationTime() const { return m_reservationTime; }
    bool IsInputTimerRunning() const { return m_inputTimerRunning; }

    // Row 0: "%d年 %d月 %d日 HH:MM" of now, CP932.
    std::string ClockText() const;
    // Rows 1 downwards for the current display state.
    std::vector<KioskRow> Rows() const;

private:
    const platform::Clock& m_clock;
    const KioskSettings& m_settings;
    std::string m_buffer;
    int m_state = 0;
    std::string m_name;
    std::string m_reservationTime;
    bool m_inputTimerRunning = false;
};
