#include "PaygateBench.h"

#include "platform/FileOps.h"
#include "platform/Profile.h"

#include <chrono>

PaygateBench::PaygateBench(int type, bool entries, const std::string& terminalCode)
    : ini(dir.File("PelmoV3.ini")), db(dir.File("db/")), m_requests(db + "Cashless/"),
      registry(dir.File("registry/")), service(registry, dir.Path()), cat(service),
      ctl(ini, cat, clock) {
    platform::WriteProfileString(ini, "GLOBAL", "DATABASE", dir.File("db"));
    platform::WriteProfileString(ini, "Cashless", "Type", std::to_string(type));
    platform::MakeDirs(m_requests);
    if (entries) {
        for (const char* device : {"STERA_OCX", "INFOX_OCX"}) {
            registry.SetString(platform::Hive::Machine, CatService::EntryKey(device), "Port",
                               "COM3");
            registry.SetString(platform::Hive::Machine, CatService::EntryKey(device), "Terminal",
                               terminalCode);
        }
    }
}

void PaygateBench::StartTerminal(const std::string& script) {
    terminal = std::make_unique<CatsimProcess>(dir.Path(), "COM3", script);
}

std::string PaygateBench::Drop(const std::string& name, const std::string& bytes) const {
    return dir.Write("db/Cashless/" + name, bytes);
}

void PaygateBench::Settle() {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ctl.Busy() && std::chrono::steady_clock::now() < until)
        ctl.PumpEvents(50);
}

void PaygateBench::Run() {
    ctl.Tick();
    Settle();
}

bool PaygateBench::Exists(const std::string& name) const {
    return platform::FileExists(Req(name));
}
