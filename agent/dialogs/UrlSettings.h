#pragma once
// The two links the patient-card app shows for the clinic ("COMMON"/LINK_URL with URL_TITLE and
// LINK_URL2 with URL2_TITLE) and their copy in the clinic's row of `hospital_infos`.
#include <string>

class WebSession;

struct UrlSettings {
    std::string url;    // right-hand link
    std::string title;  // its heading
    std::string url2;   // left-hand link
    std::string title2; // its heading

    static constexpr std::size_t kUrlChars = 256;
    static constexpr std::size_t kTitleChars = 20;

    static UrlSettings Read();
    // The values cut to their limits (characters, as the web columns count them).
    UrlSettings Cut() const;
    // Stores the four keys, cut. False when one could not be written.
    bool Write() const;

    struct Outcome {
        enum Kind {
            Written,      // the row was inserted or updated
            NotConnected, // the connection could not be opened (`error`: the driver's text, if any)
            QueryFailed,  // the row could not be looked up (`error`)
            StatementFailed // the INSERT or UPDATE was refused (`error`)
        } kind = Written;
        std::string error;
    };
    // Opens the web connection and writes the four values (cut; empty ones as NULL) into the row
    // of `hospital_infos` whose code is clinicCode: UPDATE when it exists, else INSERT.
    Outcome Publish(WebSession& web, const std::string& clinicCode) const;
};
