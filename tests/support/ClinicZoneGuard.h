#pragma once
// Sets the clinic's zone for one test and puts back whatever was in effect before.
#include "platform/ClinicZone.h"

#include <gtest/gtest.h>
#include <string>

class ClinicZoneGuard {
public:
    explicit ClinicZoneGuard(const std::string& zone) : m_previous(platform::ClinicZoneName()) {
        EXPECT_TRUE(platform::SetClinicZone(zone)) << zone;
    }
    ~ClinicZoneGuard() {
        if (m_previous.empty())
            platform::UseMachineZone();
        else
            platform::SetClinicZone(m_previous);
    }
    ClinicZoneGuard(const ClinicZoneGuard&) = delete;
    ClinicZoneGuard& operator=(const ClinicZoneGuard&) = delete;

private:
    std::string m_previous;
};
