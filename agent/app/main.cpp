// apposync: the resident agent (no command word), one staff dialog (a command word), the agent
// without any window (--headless [--once]; --send-all-patients, --send-all-memos), or the
// running agent's health for monitoring (--status).
#include "agent/app/CApposyncApp.h"
#include "agent/app/HeadlessStart.h"
#include "agent/app/QtStartupUi.h"
#include "agent/app/StartMode.h"
#include "agent/app/StatusCommand.h"
#include "outside/tools/CTools.h"
#include "platform/ClinicZone.h"
#include "platform/Cp932.h"
#include "platform/SystemClock.h"
#include "platform/qt/SuiteFont.h"

#include <QApplication>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    // Before Qt and any thread: every local time of the process is the clinic's.
    const auto zone = platform::UseClinicZone(CTools::GetCorvaneIniFileName());
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto headless = HeadlessStart::Parse(args);
    if (headless.status)
        return StatusCommand::Run(std::cout, platform::SystemClock::Instance());
    if (headless.bulk)
        return HeadlessStart::RunBulk(*headless.bulk, std::cout, std::cerr, isatty(STDOUT_FILENO));
    if (headless.headless)
        return HeadlessStart::Run(headless.once, std::cout, std::cerr);

    // The resident agent reports a zone problem in its operation log; a dialog has none.
    if (!zone.problem.empty() &&
        StartMode::Detect(StartMode::CommandLine(args)) != StartMode::Resident)
        std::cerr << "apposync: " << platform::Cp932ToUtf8(zone.problem) << std::endl;

    QApplication qapp(argc, argv);
    platform::UseSuiteFont();
    QtStartupUi ui;
    CApposyncApp app;
    return app.InitInstance(StartMode::CommandLine(args), ui);
}
