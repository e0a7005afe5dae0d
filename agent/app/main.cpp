// apposync: the resident agent (no command word), one staff dialog (a command word), or the
// agent without any window (--headless [--once]; --send-all-patients, --send-all-memos).
#include "agent/app/CApposyncApp.h"
#include "agent/app/HeadlessStart.h"
#include "agent/app/QtStartupUi.h"
#include "agent/app/StartMode.h"

#include <QApplication>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto headless = HeadlessStart::Parse(args);
    if (headless.bulk)
        return HeadlessStart::RunBulk(*headless.bulk, std::cout, std::cerr, isatty(STDOUT_FILENO));
    if (headless.headless)
        return HeadlessStart::Run(headless.once, std::cout, std::cerr);

    QApplication qapp(argc, argv);
    QtStartupUi ui;
    CApposyncApp app;
    return app.InitInstance(StartMode::CommandLine(args), ui);
}
