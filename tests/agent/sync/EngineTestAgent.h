#pragma once
// The engine as the window drives it, on a fake clock, against a test's web database, reading the
// given clinic's settings.
#include <algorithm>
#include <string>
#include <vector>

#include "FakeClock.h"
#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/core/ClinicSettings.h"
#include "agent/core/WebSession.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/cycle/SyncCycle.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/Cp932.h"

struct EngineTestAgent {
    EngineTestAgent(ClinicSettings clinicSettings, const WebConnectionValues& values,
                    FakeClock::Wall now = {2024, 1, 5, 9, 30, 0, 0})
        : settings(std::move(clinicSettings)), clock(now), log(clock, {}),
          web(values, [](std::chrono::milliseconds) {}), cycle(settings, web, log, clock, state) {
        cycle.SetStepObserver([this](const std::string& name) {
            steps.push_back(name);
            if (onStep)
                onStep(name);
        });
    }

    CycleOutcome Run() {
        steps.clear();
        return cycle.Run();
    }

    // Log lines (CP932) containing the UTF-8 text.
    int LinesWith(const std::string& utf8) const {
        const std::string needle = platform::J(utf8);
        return static_cast<int>(
            std::count_if(log.Lines().begin(), log.Lines().end(), [&](const std::string& l) {
                return l.find(needle) != std::string::npos;
            }));
    }
    int StepCount(const std::string& name) const {
        return static_cast<int>(std::count(steps.begin(), steps.end(), name));
    }

    ClinicSettings settings;
    FakeClock clock;
    OperationLog log;
    EngineState state;
    WebSession web;
    SyncCycle cycle;
    std::vector<std::string> steps;
    std::function<void(const std::string&)> onStep;
};

// Values of a web database nobody listens on.
inline WebConnectionValues UnreachableWeb() {
    WebConnectionValues v;
    v.driver = WebDb::Driver();
    v.host = "127.0.0.1";
    v.port = 1; // nothing listens there
    v.user = "nobody";
    v.password = "none";
    v.database = "nvweb-none";
    v.connectTimeoutSeconds = 2;
    return v;
}
