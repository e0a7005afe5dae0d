#pragma once
// The logic of the resident agent's main window, without any window: the running flag, the cycle
// timer (armed and killed through calls the window maps onto a real timer), the busy guard for
// modal work started from the window, and which menu items are usable.
//
// The timer is one-shot: Start arms it, OnTimer kills it, runs one cycle and arms it again, so
// the period counts from the end of the previous cycle and cycles never overlap. The window
// calls OnTimer when the armed timer fires.
#include <functional>

struct EngineState;

class AgentController {
public:
    static constexpr int kPeriodMs = 3000;

    // Command ids of the window's buttons and of the tray pop-up menu.
    enum Command {
        kStart = 1001,
        kStop = 1002,
        kSettings = 1009,
        kNotice = 1003,
        kBulkPatients = 1023,
        kBulkMemos = 1024,
        kMenuOpen = 32775,
        kMenuSettings = 32777,
        kMenuCheck = 32784,
        kMenuNotice = 32780,
        kMenuBulkPatients = 32782,
        kMenuBulkMemos = 32786,
        kMenuExit = 32774,
    };

    struct Timer {
        std::function<void(int ms)> arm; // (re)starts the one-shot timer
        std::function<void()> kill;
    };

    // runCycle: one synchronisation cycle; anything it throws is swallowed (the next cycle
    // runs as usual). state: its first-cycle flag is raised by Start. All must outlive this.
    AgentController(EngineState& state, std::function<void()> runCycle, Timer timer);

    // Arms the timer and raises the first-cycle flag when not running; true when it started
    // (the caller logs "開始" then). Does nothing when running.
    bool Start();
    // Kills the timer when running.
    void Stop();
    // The armed timer fired.
    void OnTimer();

    // Runs modal work (a dialog) under the busy guard: nothing when busy; else busy is set, the
    // timer is killed while it runs and armed again afterwards when running. False when busy.
    bool RunGuarded(const std::function<void()>& work);

    bool Running() const { return m_running; }
    bool Busy() const { return m_busy; }
    bool TimerArmed() const { return m_armed; }
    int CyclesRun() const { return m_cycles; }

    bool StartEnabled() const { return !m_running; }
    bool StopEnabled() const { return m_running; }
    // Settings, notice, bulk patient send and exit are greyed while busy; the rest stay usable.
    bool MenuItemEnabled(int id) const;

    // Called after running or busy changed, so the window can refresh its controls.
    void SetChangeListener(std::function<void()> listener) { m_onChange = std::move(listener); }

private:
    void Arm();
    void Kill();
    void Changed();

    EngineState& m_state;
    std::function<void()> m_runCycle;
    Timer m_timer;
    std::function<void()> m_onChange;
    bool m_running = false;
    bool m_busy = false;
    bool m_armed = false;
    bool m_inCycle = false;
    int m_cycles = 0;
};
