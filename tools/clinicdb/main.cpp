#include "ClinicDbCommand.h"
#include "outside/tools/CTools.h"
#include "platform/ClinicZone.h"

#include <iostream>

int main(int argc, char** argv) {
    // The demo's dates and the entry files' stamps are the clinic's.
    platform::StartInClinicZone(CTools::GetCorvaneIniFileName(), "clinicdb");
    std::vector<std::string> args(argv + 1, argv + argc);
    return ClinicDbCommand(std::cout, std::cerr).Run(args);
}
