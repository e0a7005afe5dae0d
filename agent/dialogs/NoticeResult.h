#pragma once
// Outcome of one piece of web work of the notice dialogs.
#include <string>

struct NoticeResult {
    bool ok = true;
    // Could not connect at all (as opposed to a refused statement).
    bool noConnection = false;
    // The database's own text (or the connect error); empty when ok.
    std::string error;

    // One line for a window that could not read the web: what failed and the first line of the
    // database's text; empty when ok.
    std::string ProblemLine() const;

    static NoticeResult Failed(std::string text, bool connection = false) {
        NoticeResult r;
        r.ok = false;
        r.noConnection = connection;
        r.error = std::move(text);
        return r;
    }
};
