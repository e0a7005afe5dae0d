#pragma once
// What the agent needs to reach the web database, gathered at start-up.
#include <string>

struct WebConnectionValues {
    std::string driver = "{MariaDB Unicode}"; // ODBC driver name, braces included
    std::string host;
    int port = 3306;
    std::string user;              // deciphered
    std::string password;          // deciphered
    std::string database;          // whole name, "nvweb-" followed by "MYSQL_DB"
    int connectTimeoutSeconds = 5; // bounds a connect to a server that accepts but never answers

    // "nvweb-" + the stored database suffix.
    static std::string DatabaseName(const std::string& mysqlDb) { return "nvweb-" + mysqlDb; }
};
