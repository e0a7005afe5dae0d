// Built only while the engine library has no source of its own to define it.
#include "agent/sync/EngineState.h"

std::time_t EngineState::Never() {
    std::tm tm{};
    tm.tm_year = 71;
    tm.tm_mon = 0;
    tm.tm_mday = 1;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}
