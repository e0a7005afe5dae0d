#include "agent/sync/support/FixedTimes.h"

#include <algorithm>
#include <cstdio>

#include "outside/tools/CTools.h"

namespace {

bool IsTokenChar(char c) {
    return c >= '0' && c <= ':';
}

// The leading number of a digit run; saturates so that a long run cannot overflow.
int Number(const std::string& s) {
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            break;
        v = std::min(v * 10 + (c - '0'), 100000);
    }
    return v;
}

int TokenMinutes(const std::string& token) {
    int hour = 0;
    int minute = 0;
    std::string::size_type colon = token.find(':');
    if (colon != std::string::npos) {
        hour = Number(token.substr(0, colon));
        minute = Number(token.substr(colon + 1));
    } else {
        std::string t = token;
        if (t.size() < 4) {
            if (t[0] > '2')
                t = "0" + t;
            t += "0000";
        }
        hour = Number(t.substr(0, 2));
        minute = Number(t.substr(2, 2));
    }
    return std::min(hour, 24) * 60 + std::min(minute, 59);
}

} // namespace

std::vector<int> FixedTimes::Read(const std::string& text) {
    std::string half = CTools::GetHalfKana(text);
    std::replace(half.begin(), half.end(), ';', ':');
    std::vector<int> times;
    std::string token;
    auto flush = [&]() {
        if (token.empty())
            return;
        int t = TokenMinutes(token);
        if (std::find(times.begin(), times.end(), t) == times.end())
            times.push_back(t);
        token.clear();
    };
    for (char c : half) {
        if (IsTokenChar(c))
            token += c;
        else
            flush();
    }
    flush();
    return times;
}

std::vector<int> FixedTimes::ReadSorted(const std::string& text) {
    std::vector<int> times = Read(text);
    std::sort(times.begin(), times.end());
    return times;
}

std::string FixedTimes::Normalised(const std::string& text) {
    std::string out;
    for (int t : Read(text)) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%d:%02d", t / 60, t % 60);
        if (!out.empty())
            out += ',';
        out += buf;
    }
    return out;
}
