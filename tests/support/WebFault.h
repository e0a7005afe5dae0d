#pragma once
// A fault of a test's web database: a trigger on one web table that makes the server refuse
// chosen statements (as when the line drops right at a confirmation), or hold them inside the
// server until the test lets them go (to stop a program in the middle of one). The trigger and
// its bookkeeping go with the object.
//
// when: an SQL condition over NEW and OLD (UPDATE), NEW (INSERT) or OLD (DELETE) that picks the
// statements, for example "NEW.appo_key IS NOT NULL". The constructors throw std::runtime_error
// when the trigger cannot be made.
#include <string>

class WebDb;

class WebFault {
public:
    enum class Kind {
        Refuse, // the next `times` matching statements fail with an error
        Hold,   // every matching statement waits in the server until Release, then fails
    };

    // event: "UPDATE", "INSERT" or "DELETE".
    WebFault(const WebDb& db, Kind kind, const std::string& table, const std::string& event,
             const std::string& when, int times = 1);
    ~WebFault();
    WebFault(const WebFault&) = delete;
    WebFault& operator=(const WebFault&) = delete;

    // Refuse: how many statements were refused so far. Hold: how many are held right now.
    int Count() const;

    // Hold: lets the held statements go on (they fail). Also done by the destructor.
    void Release();

private:
    const WebDb& m_db;
    Kind m_kind;
    std::string m_trigger;
    std::string m_state; // Refuse: a table that survives the refused statement's rollback
    std::string m_lock;  // Hold: the user lock the test keeps while statements are held
    bool m_holding = false;
};
