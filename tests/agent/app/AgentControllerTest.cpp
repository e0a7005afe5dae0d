#include "agent/app/AgentController.h"
#include "agent/sync/cycle/EngineState.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// The controller with a timer that only records what was asked of it.
struct Rig {
    EngineState state;
    int cycles = 0;
    int armed = 0;
    int killed = 0;
    int lastMs = 0;
    bool throwInCycle = false;
    AgentController controller{state,
                               [this] {
                                   ++cycles;
                                   state.firstCycle = false;
                                   if (throwInCycle)
                                       throw std::runtime_error("lost");
                               },
                               {[this](int ms) {
                                    ++armed;
                                    lastMs = ms;
                                },
                                [this] { ++killed; }}};
};

} // namespace

TEST(AgentControllerTest, StartAndStopArmTheTimerAndSetTheButtons) {
    Rig rig;
    EXPECT_TRUE(rig.controller.StartEnabled());
    EXPECT_FALSE(rig.controller.StopEnabled());
    rig.state.firstCycle = false;

    EXPECT_TRUE(rig.controller.Start());
    EXPECT_EQ(rig.armed, 1);
    EXPECT_EQ(rig.lastMs, 3000);
    EXPECT_TRUE(rig.state.firstCycle);
    EXPECT_FALSE(rig.controller.StartEnabled());
    EXPECT_TRUE(rig.controller.StopEnabled());
    EXPECT_FALSE(rig.controller.Start()); // running: nothing happens, nothing to log
    EXPECT_EQ(rig.armed, 1);

    rig.controller.Stop();
    EXPECT_EQ(rig.killed, 1);
    EXPECT_FALSE(rig.controller.Running());
    EXPECT_TRUE(rig.controller.StartEnabled());
    EXPECT_FALSE(rig.controller.StopEnabled());
    rig.controller.Stop();
    EXPECT_EQ(rig.killed, 1);

    // A tick that was already on its way when Stop killed the timer runs no cycle.
    rig.controller.OnTimer();
    EXPECT_EQ(rig.cycles, 0);
}

TEST(AgentControllerTest, EachTickRunsOneCycleAndRearmsEvenWhenTheCycleThrows) {
    Rig rig;
    rig.controller.Start();
    rig.controller.OnTimer();
    EXPECT_EQ(rig.cycles, 1);
    EXPECT_FALSE(rig.state.firstCycle);
    EXPECT_EQ(rig.killed, 1);
    EXPECT_EQ(rig.armed, 2);
    EXPECT_TRUE(rig.controller.TimerArmed());

    rig.throwInCycle = true;
    EXPECT_NO_THROW(rig.controller.OnTimer());
    EXPECT_EQ(rig.cycles, 2);
    EXPECT_TRUE(rig.controller.TimerArmed());
    EXPECT_TRUE(rig.controller.Running());
}

TEST(AgentControllerTest, BusyGuardStopsCyclesGreysFourItemsAndRefusesASecondDialog) {
    Rig rig;
    rig.controller.Start();
    const int ids[] = {AgentController::kMenuSettings, AgentController::kMenuNotice,
                       AgentController::kMenuBulkPatients, AgentController::kMenuExit};
    const int usable[] = {AgentController::kMenuOpen, AgentController::kMenuCheck,
                          AgentController::kMenuBulkMemos};
    bool inner = true;
    bool ran = rig.controller.RunGuarded([&] {
        EXPECT_TRUE(rig.controller.Busy());
        EXPECT_FALSE(rig.controller.TimerArmed());
        for (int id : ids)
            EXPECT_FALSE(rig.controller.MenuItemEnabled(id)) << id;
        for (int id : usable)
            EXPECT_TRUE(rig.controller.MenuItemEnabled(id)) << id;
        rig.controller.OnTimer(); // a stale tick while the dialog shows
        inner = rig.controller.RunGuarded([] { FAIL() << "nested dialog opened"; });
    });
    EXPECT_TRUE(ran);
    EXPECT_FALSE(inner);
    EXPECT_EQ(rig.cycles, 0);
    EXPECT_FALSE(rig.controller.Busy());
    EXPECT_TRUE(rig.controller.TimerArmed());
    for (int id : ids)
        EXPECT_TRUE(rig.controller.MenuItemEnabled(id));

    // Stopped: the guard leaves the timer alone.
    rig.controller.Stop();
    const int armed = rig.armed;
    rig.controller.RunGuarded([] {});
    EXPECT_EQ(rig.armed, armed);
    EXPECT_FALSE(rig.controller.TimerArmed());

    // A dialog that throws still releases the guard.
    rig.controller.Start();
    EXPECT_THROW(rig.controller.RunGuarded([] { throw std::runtime_error("x"); }),
                 std::runtime_error);
    EXPECT_FALSE(rig.controller.Busy());
    EXPECT_TRUE(rig.controller.TimerArmed());
}
