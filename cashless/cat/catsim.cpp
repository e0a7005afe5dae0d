// catsim: a simulated card terminal attached at a port name.
#include "CatService.h"
#include "CatWire.h"
#include "TerminalSim.h"
#include "platform/ClinicZone.h"
#include "platform/ProgramFolder.h"
#include "platform/RegistryStore.h"

#include <csignal>
#include <iostream>
#include <string>

namespace {
volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) {
    g_stop = 1;
}

int Usage() {
    std::cerr << "usage: catsim --port NAME [--dir FOLDER] [--journal FILE] [--script WORDS]\n"
                 "  --port     port name of the device entry, for example COM3\n"
                 "  --dir      socket folder (default $XDG_RUNTIME_DIR or /tmp)\n"
                 "  --journal  file that receives every approved sale\n"
                 "             (default catsim-<port>-journal.txt in the current folder)\n"
                 "  --script   outcomes in order, the last repeats (default approve):\n"
                 "             approve, slow:MS, decline:N, busy, error:N, refuse:N, silent\n"
                 "  --setup    DEVICE (INFOX_OCX or STERA_OCX): first create that device's\n"
                 "             entry in the registry store of the program folder, as the\n"
                 "             terminal vendor's setup does (Port = the port, Terminal 1001)\n";
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    // The journal's stamps are in the clinic's time, like the sales of the payment bridge.
    platform::StartInClinicZone(platform::ProgramFolder() + "PelmoV3.ini", "catsim");
    std::string port, dir = CatWire::DefaultFolder(), journal, script = "approve", setup;
    bool journalGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc)
            return Usage();
        std::string v = argv[++i];
        if (a == "--port")
            port = v;
        else if (a == "--dir")
            dir = v;
        else if (a == "--journal")
            journal = v, journalGiven = true;
        else if (a == "--script")
            script = v;
        else if (a == "--setup")
            setup = v;
        else
            return Usage();
    }
    if (port.empty())
        return Usage();
    if (!journalGiven)
        journal = "catsim-" + port + "-journal.txt";

    std::vector<TerminalSim::Step> steps;
    std::string error;
    if (!TerminalSim::ParseScript(script, steps, error)) {
        std::cerr << "catsim: " << error << "\n";
        return Usage();
    }
    if (!setup.empty()) {
        // Keeps a model code chosen with the settings tool; the port is where we attach.
        platform::RegistryStore registry;
        const std::string key = CatService::EntryKey(setup);
        bool ok = registry.SetString(platform::Hive::Machine, key, "Port", port);
        if (ok && !registry.GetString(platform::Hive::Machine, key, "Terminal"))
            ok = registry.SetString(platform::Hive::Machine, key, "Terminal", "1001");
        if (!ok) {
            std::cerr << "catsim: cannot write the device entry in " << registry.Root() << "\n";
            return 1;
        }
        std::cout << "SETUP device=" << setup << " port=" << port << " registry=" << registry.Root()
                  << std::endl;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);

    TerminalSim sim(port, dir, journal, steps, std::cout);
    if (!sim.Listen(error)) {
        std::cerr << "catsim: " << error << "\n";
        return 1;
    }
    std::cout << "READY port=" << port << " socket=" << sim.SocketPath() << " journal=" << journal
              << std::endl;
    sim.Run(g_stop);
    std::cout << "STOPPED port=" << port << std::endl;
    return 0;
}
