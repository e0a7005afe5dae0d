#pragma once
// How one read or delete run of a review dialog ended. A dialog shows Line() in place of a
// silent empty list, so "could not reach the server" never reads as "nothing to do".
#include <string>

class WebSession;

struct ReviewOutcome {
    enum Kind {
        Ok,
        NoConnection,   // the web database could not be reached or refused the log-in
        WebQueryFailed, // a web statement failed
        LocalFailed,    // the local clinic database could not be read
    };

    Kind kind = Ok;
    std::string detail; // the driver's or the library's own text (CP932); empty when Ok

    bool Failed() const { return kind != Ok; }
    // The one line a window shows (CP932); empty when Ok.
    std::string Line() const;

    // Opens the session (its five attempts): Ok, or NoConnection with the driver's text.
    // Never throws.
    static ReviewOutcome Connect(WebSession& web);
};
