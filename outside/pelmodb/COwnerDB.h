#pragma once
// Users of the practice software (staff logins published to the booking site).
//
// Keys: 0 staff code  staffCode[11]  11 bytes
#include "CBaseDBCall.h"

#include <cstdint>
#include <string>

struct tagOwner {
    std::int32_t id;    // numeric user id
    char staffCode[11]; // staff code (login name)
    char name[41];
    char password[65]; // as stored; a user without password is not published
    char reserved[3];
};

class COwnerDB : public CBaseDBCall {
public:
    explicit COwnerDB(const std::string& folder, int mode = 1);

    static const TableSpec& Spec();

    tagOwner m_rec{};
};
