#include "CheckInClinic.h"

#include <ctime>

// Until the cycle's own definition is linked in, a stand-in (a library definition wins).
__attribute__((weak)) std::time_t EngineState::Never() {
    std::tm t{};
    t.tm_year = 71;
    t.tm_mday = 1;
    t.tm_isdst = -1;
    return std::mktime(&t);
}
