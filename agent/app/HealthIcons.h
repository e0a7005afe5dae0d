#pragma once
// The tray icons of the three health states, drawn in code so the program needs no image files.
// They differ in shape as well as in colour, so that they tell apart at 16 pixels and for people
// who do not see the colours: 正常 a green disc with a tick, 注意 an amber triangle with "!", 異常
// a red square with a cross.
#include <QIcon>

#include "agent/sync/health/HealthSnapshot.h"

class HealthIcons {
public:
    static QIcon For(HealthState state);
};
