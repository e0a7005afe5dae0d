#pragma once
// The booking mode of "COMMON"/"UNIT_TYPE". In unit mode the reservation book's columns are
// units (chairs): booking slots are units and a doctor is designated. In doctor mode the columns
// are doctors: slots are doctors and a unit is designated.
enum BookingMode : int { kUnitMode = 0, kDoctorMode = 1 };

// 0 is unit mode, any other stored value doctor mode.
inline BookingMode BookingModeOf(int unitType) {
    return unitType != 0 ? kDoctorMode : kUnitMode;
}
