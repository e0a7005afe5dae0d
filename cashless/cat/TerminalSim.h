#pragma once
// The simulated card terminal behind catsim: listens on the socket of its port (see
// CatWire::SocketPath), answers each sale with the next outcome of its script, prints every
// claim, DirectIO, sale and outcome on its output, and appends each approved sale to its journal.
//
// Script words (used in order, the last one repeats):
//   approve      approve after a short moment        slow:MS    approve after MS milliseconds
//   decline:N    fail with 114 and extended code N   busy       same as decline:1020
//   error:N      fail with result code N             refuse:N   refuse the sale at once with N
//   silent       never answer (only ClearOutput ends it)
#include "CatWire.h"

#include <chrono>
#include <csignal>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class TerminalSim {
public:
    struct Step {
        enum Kind { Approve, Decline, Error, Refuse, Silent } kind = Approve;
        int code = 0;    // extended code (Decline) or result code (Error, Refuse)
        int delayMs = 0; // before the answer
    };

    // Parses a comma-separated script; false (with `error`) on an unknown word.
    static bool ParseScript(const std::string& text, std::vector<Step>& steps, std::string& error);

    TerminalSim(std::string port, std::string folder, std::string journal, std::vector<Step> script,
                std::ostream& out);
    ~TerminalSim();

    // Creates the listening socket; false with `error` when the port is taken or unusable.
    bool Listen(std::string& error);
    const std::string& SocketPath() const { return m_path; }
    // Serves until `stop` becomes non-zero.
    void Run(const volatile std::sig_atomic_t& stop);

private:
    using Time = std::chrono::steady_clock::time_point;
    struct Client {
        std::unique_ptr<CatWire> wire;
        std::string device = "-";
        std::string model = "-";
        std::string directIo = "none"; // data of the last DirectIO since the previous sale
        bool pending = false;
        int saleId = 0;
        std::string sale; // description printed and journalled
        Step step;
        Time due;
    };

    void Accept();
    void Serve(Client& c);
    void Command(Client& c, const std::string& line);
    void Answer(Client& c);
    Step NextStep();
    void Print(const std::string& line);
    void Journal(const std::string& line);

    std::string m_port;
    std::string m_folder;
    std::string m_journal;
    std::vector<Step> m_script;
    std::size_t m_next = 0;
    std::ostream& m_out;
    std::string m_path;
    int m_listen = -1;
    std::vector<Client> m_clients;
};
