#include "TerminalSim.h"

#include "CatCodes.h"
#include "platform/ClinicZone.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr int kApproveDelayMs = 100;

bool ParseInt(const std::string& s, int& v) {
    try {
        std::size_t used = 0;
        v = std::stoi(s, &used);
        return used == s.size();
    } catch (...) {
        return false;
    }
}

} // namespace

bool TerminalSim::ParseScript(const std::string& text, std::vector<Step>& steps,
                              std::string& error) {
    steps.clear();
    std::string word;
    std::istringstream in(text);
    while (std::getline(in, word, ',')) {
        Step s;
        std::string name = word.substr(0, word.find(':'));
        std::string arg =
            word.find(':') == std::string::npos ? "" : word.substr(word.find(':') + 1);
        int n = 0;
        bool hasArg = ParseInt(arg, n);
        if (name == "approve" && arg.empty()) {
            s.delayMs = kApproveDelayMs;
        } else if (name == "slow" && hasArg && n >= 0) {
            s.delayMs = n;
        } else if (name == "decline" && hasArg) {
            s = {Step::Decline, n, kApproveDelayMs};
        } else if (name == "busy" && arg.empty()) {
            s = {Step::Decline, 1020, kApproveDelayMs};
        } else if (name == "error" && hasArg) {
            s = {Step::Error, n, kApproveDelayMs};
        } else if (name == "refuse" && hasArg) {
            s = {Step::Refuse, n, 0};
        } else if (name == "silent" && arg.empty()) {
            s.kind = Step::Silent;
        } else {
            error = "unknown script word '" + word + "'";
            return false;
        }
        steps.push_back(s);
    }
    if (steps.empty())
        steps.push_back({Step::Approve, 0, kApproveDelayMs});
    return true;
}

TerminalSim::TerminalSim(std::string port, std::string folder, std::string journal,
                         std::vector<Step> script, std::ostream& out)
    : m_port(std::move(port)), m_folder(std::move(folder)), m_journal(std::move(journal)),
      m_script(std::move(script)), m_out(out) {
    if (m_script.empty())
        m_script.push_back({Step::Approve, 0, kApproveDelayMs});
}

TerminalSim::~TerminalSim() {
    m_clients.clear();
    if (m_listen >= 0) {
        ::close(m_listen);
        ::unlink(m_path.c_str());
    }
}

bool TerminalSim::Listen(std::string& error) {
    m_path = CatWire::SocketPath(m_folder, m_port);
    sockaddr_un addr{};
    if (m_path.size() >= sizeof(addr.sun_path)) {
        error = "socket path too long: " + m_path;
        return false;
    }
    // A live terminal already at this port keeps it; a stale socket file is replaced.
    CatWire probe;
    if (probe.Connect(m_path)) {
        error = "another terminal is attached at " + m_port + " (" + m_path + ")";
        return false;
    }
    ::unlink(m_path.c_str());
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, m_path.c_str(), m_path.size() + 1);
    m_listen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        ::listen(m_listen, 8) != 0) {
        error = "cannot listen on " + m_path + ": " + std::strerror(errno);
        if (m_listen >= 0)
            ::close(m_listen);
        m_listen = -1;
        return false;
    }
    return true;
}

TerminalSim::Step TerminalSim::NextStep() {
    Step s = m_script[m_next];
    if (m_next + 1 < m_script.size())
        ++m_next;
    return s;
}

void TerminalSim::Print(const std::string& line) {
    m_out << line << std::endl; // flushed: tests and the demo read it while we run
}

void TerminalSim::Journal(const std::string& line) {
    if (m_journal.empty())
        return;
    std::ofstream j(m_journal, std::ios::app | std::ios::binary);
    const std::tm tm = platform::ToClinicTime(std::time(nullptr));
    char stamp[32];
    std::strftime(stamp, sizeof(stamp), "%Y-%m-%d %H:%M:%S", &tm);
    j << stamp << ' ' << line << '\n';
    if (!j)
        Print("journal write failed: " + m_journal);
}

void TerminalSim::Accept() {
    int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    Client c;
    c.wire = std::make_unique<CatWire>(fd);
    m_clients.push_back(std::move(c));
}

void TerminalSim::Command(Client& c, const std::string& line) {
    auto w = CatWire::Words(line);
    if (w.empty())
        return;
    const std::string& cmd = w[0];
    if (cmd == "HELLO") {
        c.device = w.size() > 1 ? w[1] : "-";
        c.model = w.size() > 2 ? w[2] : "-";
        Print("CLAIM device=" + c.device + " model=" + c.model);
        c.wire->Send("OK");
    } else if (cmd == "DIO") {
        // "DIO <command> <data> <text...>"
        std::string text;
        std::size_t pos = 0;
        for (int i = 0; i < 3 && pos != std::string::npos; ++i)
            pos = line.find(' ', pos + 1);
        if (pos != std::string::npos)
            text = line.substr(pos + 1);
        std::string command = w.size() > 1 ? w[1] : "?";
        std::string data = w.size() > 2 ? w[2] : "0";
        c.directIo = data;
        Print("DIRECTIO command=" + command + " data=" + data + " text=" + text);
        c.wire->Send("R 0 " + data + " " + text);
    } else if (cmd == "SALE" && w.size() >= 7) {
        // "SALE <id> <sequence> <medium> <amount> <tax> <training>"
        int id = 0;
        ParseInt(w[1], id);
        if (c.pending) {
            Print("REFUSED id=" + w[1] + " code=113 (a sale is running)");
            c.wire->Send("R 113 0");
            return;
        }
        c.sale = "id=" + w[1] + " device=" + c.device + " model=" + c.model + " medium=" + w[3] +
                 " amount=" + w[4] + " tax=" + w[5] + " training=" + w[6] +
                 " directio=" + c.directIo;
        c.directIo = "none";
        Print("SALE " + c.sale);
        Step s = NextStep();
        if (s.kind == Step::Refuse) {
            Print("REFUSED id=" + w[1] + " code=" + std::to_string(s.code));
            c.wire->Send("R " + std::to_string(s.code) + " 0");
            return;
        }
        c.wire->Send("R 0 0");
        c.pending = true;
        c.saleId = id;
        c.step = s;
        c.due = std::chrono::steady_clock::now() + std::chrono::milliseconds(s.delayMs);
        if (s.kind == Step::Silent)
            Print("WAITING id=" + w[1] + " (no answer will come)");
    } else if (cmd == "CLEAR") {
        if (c.pending)
            Print("CANCELLED id=" + std::to_string(c.saleId) +
                  " ext=" + std::to_string(cat::kExtCancelledByPos) + " (cancel from the POS)");
        c.pending = false;
        c.wire->Send("R 0 0");
    } else if (cmd == "BYE") {
        if (c.pending)
            Print("CANCELLED id=" + std::to_string(c.saleId) + " (released by the POS)");
        c.pending = false;
        Print("RELEASE device=" + c.device);
        c.wire->Reset();
    } else {
        Print("UNKNOWN " + line);
        c.wire->Send("R " + std::to_string(cat::kIllegal) + " 0");
    }
}

void TerminalSim::Answer(Client& c) {
    c.pending = false;
    std::string id = std::to_string(c.saleId);
    switch (c.step.kind) {
    case Step::Approve:
        Print("APPROVED " + c.sale);
        Journal("APPROVED " + c.sale);
        c.wire->Send("DONE " + id + " 0 0");
        break;
    case Step::Decline:
        Print("DECLINED id=" + id + " code=114 ext=" + std::to_string(c.step.code));
        c.wire->Send("DONE " + id + " 114 " + std::to_string(c.step.code));
        break;
    case Step::Error:
        Print("FAILED id=" + id + " code=" + std::to_string(c.step.code));
        c.wire->Send("DONE " + id + " " + std::to_string(c.step.code) + " 0");
        break;
    default:
        break;
    }
}

void TerminalSim::Serve(Client& c) {
    c.wire->Fill();
    // Lines that came with the peer's goodbye still count.
    std::string line;
    while (c.wire->TakeLine(line))
        Command(c, line);
    if (!c.wire->Connected() && c.pending) {
        Print("CANCELLED id=" + std::to_string(c.saleId) + " (the POS went away)");
        c.pending = false;
    }
}

void TerminalSim::Run(const volatile std::sig_atomic_t& stop) {
    while (!stop) {
        std::vector<pollfd> fds;
        fds.push_back({m_listen, POLLIN, 0});
        for (auto& c : m_clients)
            fds.push_back({c.wire->Fd(), POLLIN, 0});
        int timeout = 200; // also the longest wait before `stop` is seen
        auto now = std::chrono::steady_clock::now();
        for (auto& c : m_clients)
            if (c.pending && c.step.kind != Step::Silent) {
                auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(c.due - now).count();
                timeout = std::min<int>(timeout, left > 0 ? static_cast<int>(left) : 0);
            }
        int r = ::poll(fds.data(), fds.size(), timeout);
        if (r < 0 && errno != EINTR)
            break;
        if (r > 0) {
            for (std::size_t i = 1; i < fds.size(); ++i)
                if (fds[i].revents)
                    Serve(m_clients[i - 1]);
            if (fds[0].revents & POLLIN)
                Accept();
        }
        now = std::chrono::steady_clock::now();
        for (auto& c : m_clients)
            if (c.wire->Connected() && c.pending && c.step.kind != Step::Silent && c.due <= now)
                Answer(c);
        std::erase_if(m_clients, [](const Client& c) { return !c.wire->Connected(); });
    }
}
