#pragma once
// A payment bridge wired to a real catsim process inside a temporary program folder: the
// settings file, the registry store, the request folder and the terminal's socket all live there.
#include "CatsimProcess.h"
#include "FakeClock.h"
#include "TempDir.h"
#include "cashless/cat/CCat1.h"
#include "cashless/cat/CatService.h"
#include "cashless/paygate/PaygateController.h"
#include "platform/RegistryStore.h"

#include <memory>
#include <string>

class PaygateBench {
public:
    // type: [Cashless] Type; entries: create the device entries (Port COM3) for both families.
    explicit PaygateBench(int type = 1, bool entries = true, const std::string& terminal = "1001");

    void StartTerminal(const std::string& script = "approve");
    // Writes a request file into the request folder; returns its path.
    std::string Drop(const std::string& name, const std::string& bytes) const;
    // One tick, then the events until the sale is answered (a few seconds at most).
    void Run();
    // Events until no sale is outstanding.
    void Settle();
    std::string Req(const std::string& name) const { return m_requests + name; }
    std::string Read(const std::string& name) const { return TempDir::Read(Req(name)); }
    bool Exists(const std::string& name) const;

    TempDir dir;
    std::string ini;
    std::string db;
    std::string m_requests;
    platform::RegistryStore registry;
    CatService service;
    CCat1 cat;
    FakeClock clock{{2024, 5, 15, 10, 20, 30}};
    PaygateController ctl;
    std::unique_ptr<CatsimProcess> terminal;
};
