#include "agent/core/CDBException.h"

bool CDBException::IsLostConnectionError(const std::string& text, const std::string& sqlState) {
    if (sqlState.size() >= 2 && sqlState.compare(0, 2, "08") == 0)
        return true;
    for (const char* marker :
         {"Lost connection", "Connection reset by peer", "Connection not open", "has gone away"}) {
        if (text.find(marker) != std::string::npos)
            return true;
    }
    return false;
}
