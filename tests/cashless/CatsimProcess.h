#pragma once
// A catsim process for one test: started on a port inside a test folder, its output captured in
// a file, stopped when the object goes.
#include <string>
#include <sys/types.h>

class CatsimProcess {
public:
    // Starts build/bin/catsim (found through $CORVANE_BIN) and waits until it listens.
    CatsimProcess(const std::string& folder, const std::string& port,
                  const std::string& script = "approve");
    ~CatsimProcess();
    CatsimProcess(const CatsimProcess&) = delete;
    CatsimProcess& operator=(const CatsimProcess&) = delete;

    bool Ready() const { return m_ready; }
    std::string Output() const;
    std::string Journal() const;
    const std::string& JournalPath() const { return m_journal; }
    // Waits (at most a few seconds) until the output holds `text`.
    bool WaitFor(const std::string& text) const;
    void Stop();

private:
    pid_t m_pid = -1;
    std::string m_out;
    std::string m_journal;
    bool m_ready = false;
};
