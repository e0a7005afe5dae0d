#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/core/AgentSettings.h"
#include "agent/core/CRecordset.h"
#include "agent/core/Credentials.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/core/WebSession.h"
#include "agent/core/WebSettings.h"
#include "platform/Cp932.h"
#include "platform/Profile.h"

using platform::J;
using namespace std::chrono_literals;

namespace {

// A listening TCP socket on 127.0.0.1; with accepting=false nobody ever answers on it.
class Listener {
public:
    Listener() {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
    }
    ~Listener() { close(m_fd); }
    void Listen() { listen(m_fd, 16); }
    int Port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

std::string Text(WebSession& s, const std::string& sql) {
    CRecordset rs(&s.Database());
    rs.Open(CRecordset::forwardOnly, sql, CRecordset::readOnly);
    return rs.IsEOF() ? "<no row>" : GetFieldText(rs, "");
}

} // namespace

TEST(WebSession, TextLiteralsRoundTripExactly) {
    WebDb db;
    WebSession s(WebDbValues(db));
    ASSERT_TRUE(s.OpenWebConnection());
    s.Database().ExecuteSQL("CREATE TABLE t (id INT PRIMARY KEY, v VARCHAR(255) NULL, "
                            "w TEXT NULL) DEFAULT CHARSET=utf8mb4");
    const std::vector<std::string> texts = {
        "O'Brien", "back\\slash\\", "'\\''", J("ソ"), J("表"), J("能"), J("ソ'"), J("～－①髙"),
        J("予約確定ソ"), J("ｼｮｼﾝｿｳﾀﾞﾝ(Web)"), "100% \"quoted\"", J("表\\"),
        // The driver's own UTF-16 fetch once reported these a character short.
        J("ペニシリン"), J("ペン"), J("ペa"), J("Webページからの初診相談患者")};
    for (size_t i = 0; i < texts.size(); ++i) {
        s.Database().ExecuteSQL("INSERT INTO t(id,v,w) VALUES(" + std::to_string(i) + "," +
                                SqlText(texts[i]) + "," + SqlText(texts[i]) + ")");
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        CRecordset rs(&s.Database());
        rs.Open(CRecordset::forwardOnly, "SELECT * FROM t WHERE id=" + std::to_string(i),
                CRecordset::readOnly);
        ASSERT_FALSE(rs.IsEOF());
        EXPECT_EQ(GetFieldText(rs, "v"), texts[i]) << i;
        EXPECT_EQ(GetFieldText(rs, "w"), texts[i]) << i;
    }
    // Stored as the right characters, not as bytes that only come back the same.
    EXPECT_EQ(db.Scalar("SELECT HEX(v) FROM t WHERE id=3"), "E382BD");
    EXPECT_EQ(db.Scalar("SELECT HEX(v) FROM t WHERE id=7"), "EFBD9EEFBC8DE291A0E9AB99");

    // A lone trailing lead byte is dropped; an empty text is stored as NULL.
    s.Database().ExecuteSQL("INSERT INTO t(id,v) VALUES(100," + SqlText(J("ソ") + "\x83") + ")");
    s.Database().ExecuteSQL("INSERT INTO t(id,v) VALUES(101," + SqlText("") + ")");
    EXPECT_EQ(Text(s, "SELECT v FROM t WHERE id=100"), J("ソ"));
    EXPECT_EQ(db.Scalar("SELECT v IS NULL FROM t WHERE id=101"), "1");

    // A stray lead byte before a quote must not end the literal early: the server sees one
    // value with the bad byte replaced, never a second row.
    s.Database().ExecuteSQL("INSERT INTO t(id,v) VALUES(200," +
                            SqlText(std::string("\x81'),(201,'x")) + ")");
    EXPECT_EQ(Text(s, "SELECT v FROM t WHERE id=200"), "?'),(201,'x");
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM t WHERE id=201"), "0");
}

// Characters whose second byte is 0x5C next to quotes, backslashes, semicolons and comments:
// the driver once took the 0x5C for a backslash, split the statement at the ";" and crashed.
TEST(WebSession, TrailBytesThatLookLikeBackslashesNeverSplitAStatement) {
    WebDb db;
    WebSession s(WebDbValues(db));
    ASSERT_TRUE(s.OpenWebConnection());
    s.Database().ExecuteSQL("CREATE TABLE h (id INT PRIMARY KEY, v TEXT NULL) "
                            "DEFAULT CHARSET=utf8mb4");
    std::vector<std::string> texts;
    for (const char* c : {"ソ", "表", "能", "十", "予"}) {
        for (const char* tail : {"';", "\\';", "';\\", ";'\\", "'?", "\\", "'",
                                 "'); DELETE FROM h; -- ", "' /* c */ ;", "''\\\\;"})
            texts.push_back(J(c) + tail);
    }
    // One statement per text, and all of them in one multi-row statement.
    std::string multi = "INSERT INTO h(id,v) VALUES";
    for (size_t i = 0; i < texts.size(); ++i) {
        s.Database().ExecuteSQL("INSERT INTO h(id,v) VALUES(" + std::to_string(i) + "," +
                                SqlText(texts[i]) + ")");
        multi += (i ? ",(" : "(") + std::to_string(1000 + i) + "," + SqlText(texts[i]) + ")";
    }
    s.Database().ExecuteSQL(multi);
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM h"), std::to_string(2 * texts.size()));
    for (size_t i = 0; i < texts.size(); ++i) {
        for (size_t id : {i, 1000 + i}) {
            CRecordset rs(&s.Database());
            rs.Open(CRecordset::forwardOnly, "SELECT v FROM h WHERE v=" + SqlText(texts[i]) +
                                                 " AND id=" + std::to_string(id));
            ASSERT_FALSE(rs.IsEOF()) << id;
            EXPECT_EQ(GetFieldText(rs, "v"), texts[i]) << id;
            rs.MoveNext();
            EXPECT_TRUE(rs.IsEOF());
        }
    }
    // Stored exactly as the server stores these CP932 bytes.
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(db.Scalar("SELECT HEX(v) FROM h WHERE id=" + std::to_string(i)),
                  db.StoredHex(texts[i]))
            << i;
}

// Every CP932 character (every lead byte with every trail byte, and every single byte) is stored
// as the server's own cp932 conversion stores it, and read back as the server's conversion to
// cp932 gives it. Pairs that are no character become one '?' each, as the server makes them.
TEST(WebSession, EveryCp932CharacterIsStoredAndReadAsTheServerConvertsIt) {
    WebDb db;
    WebSession s(WebDbValues(db));
    ASSERT_TRUE(s.OpenWebConnection());
    s.Database().ExecuteSQL("CREATE TABLE c (id INT PRIMARY KEY, v MEDIUMTEXT NULL) "
                            "DEFAULT CHARSET=utf8mb4");
    std::string singles, pairs;
    for (int a = 0x20; a <= 0xFF; ++a) {
        if (a == 0x7F)
            continue;
        if (!platform::IsLeadByte(static_cast<unsigned char>(a))) {
            singles += static_cast<char>(a);
            continue;
        }
        for (int b = 0x40; b <= 0xFC; ++b) {
            if (b == 0x7F)
                continue;
            pairs += static_cast<char>(a);
            pairs += static_cast<char>(b);
        }
    }
    int id = 0;
    for (const std::string& text : {singles, pairs}) {
        ++id;
        s.Database().ExecuteSQL("INSERT INTO c(id,v) VALUES(" + std::to_string(id) + "," +
                                SqlText(text) + ")");
        const std::string where = " FROM c WHERE id=" + std::to_string(id);
        EXPECT_EQ(db.Scalar("SELECT HEX(v)" + where), db.StoredHex(text)) << id;
        CRecordset rs(&s.Database());
        rs.Open(CRecordset::forwardOnly, "SELECT v" + where);
        ASSERT_FALSE(rs.IsEOF());
        EXPECT_EQ(WebDb::Hex(GetFieldText(rs, "v")),
                  db.Scalar("SELECT HEX(CONVERT(v USING cp932))" + where))
            << id;
    }
    // Duplicated characters come back in the server's (and Windows') preferred form: NEC's ≒
    // (8790) as JIS ≒ (81E0), NEC-selected IBM 纊 (ED40) as IBM 纊 (FA5C), ¬ of IBM (FA54) as
    // 81CA; the wave dash 8160 stays 8160.
    s.Database().ExecuteSQL("INSERT INTO c(id,v) VALUES(10," +
                            SqlText("\x87\x90\xED\x40\xFA\x54\x81\x60") + ")");
    EXPECT_EQ(WebDb::Hex(Text(s, "SELECT v FROM c WHERE id=10")), "81E0FA5C81CA8160");
}

// Text the web holds that CP932 cannot: a visible '?' per character, never a failure. The JIS
// forms of the wave dash and its relatives come back as their CP932 characters.
TEST(WebSession, WebTextOutsideCp932BecomesVisibleReplacements) {
    WebDb db;
    WebSession s(WebDbValues(db));
    ASSERT_TRUE(s.OpenWebConnection());
    db.Exec("CREATE TABLE u (id INT PRIMARY KEY, v TEXT NULL) DEFAULT CHARSET=utf8mb4");
    // 😀 (a surrogate pair in UTF-16), é, 𠮷, then 〜 (U+301C) and − (U+2212).
    db.Exec("INSERT INTO u VALUES(1, CONVERT(X'F09F988041C3A9F0A0AEB7E3809CE28892' USING "
            "utf8mb4))");
    EXPECT_EQ(Text(s, "SELECT v FROM u WHERE id=1"), "?A??" + J("～－"));
}

TEST(WebSession, FieldTextOfEveryKind) {
    WebDb db;
    WebSession s(WebDbValues(db));
    ASSERT_TRUE(s.OpenWebConnection());
    CDatabase& d = s.Database();
    d.ExecuteSQL("CREATE TABLE k (id INT, dt DATETIME NULL, da DATE NULL, ti TIME NULL, "
                 "tn TINYINT NULL, sm SMALLINT NULL, bi BIGINT NULL, db DOUBLE NULL, "
                 "bo BIT(1) NULL, bl BLOB NULL, tx VARCHAR(10) NULL)");
    d.ExecuteSQL("INSERT INTO k VALUES(1," + SqlDateTime("20240105", "") + "," +
                 SqlDate("20240105") + "," + SqlTime("0930") +
                 ",-3,1200,9000000000,1.5,1,'ab','x')");
    d.ExecuteSQL("INSERT INTO k VALUES(2,'2024-01-05 17:45:09',NULL,'-01:00:00',127,NULL,NULL,"
                 "NULL,0,NULL,NULL)");
    d.ExecuteSQL("INSERT INTO k(id) VALUES(3)");

    CRecordset rs(&d);
    ASSERT_TRUE(
        rs.Open(CRecordset::forwardOnly, "SELECT * FROM k ORDER BY id", CRecordset::readOnly));
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(GetFieldText(rs, "dt"), "2024-01-05"); // midnight gives the date alone
    EXPECT_EQ(GetFieldText(rs, "da"), "2024-01-05");
    EXPECT_EQ(GetFieldText(rs, "ti"), "09:30:00");
    EXPECT_EQ(GetFieldText(rs, "tn"), "-3");
    EXPECT_EQ(GetFieldText(rs, "sm"), "1200");
    EXPECT_EQ(GetFieldText(rs, "bi"), "9000000000");
    EXPECT_EQ(GetFieldText(rs, "db"), "1.500000");
    EXPECT_EQ(GetFieldText(rs, "bo"), "1");
    EXPECT_EQ(GetFieldText(rs, "bl"), "");
    EXPECT_EQ(GetFieldText(rs, "TX"), "x"); // column names match case-insensitively
    EXPECT_EQ(GetFieldText(rs, ""), "1");
    LocalDateTime t;
    ASSERT_TRUE(GetFieldDateTime(rs, "dt", t));
    EXPECT_EQ(t, (LocalDateTime{2024, 1, 5, 0, 0, 0, 0}));
    EXPECT_FALSE(GetFieldDateTime(rs, "tx", t));
    EXPECT_THROW(GetFieldText(rs, "nope"), CDBException);

    rs.MoveNext();
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(GetFieldText(rs, "dt"), "2024-01-05 17:45:09");
    EXPECT_EQ(GetFieldText(rs, "tn"), "127");
    EXPECT_EQ(GetFieldText(rs, "bo"), "0");

    rs.MoveNext();
    ASSERT_FALSE(rs.IsEOF());
    for (const char* col : {"dt", "da", "ti", "tn", "sm", "bi", "db", "bo", "bl", "tx"}) {
        EXPECT_EQ(GetFieldText(rs, col), "") << col;
        EXPECT_FALSE(GetFieldDateTime(rs, col, t)) << col;
    }
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_THROW(GetFieldText(rs, "dt"), CDBException);

    // A failing statement carries the driver's text and SQLSTATE.
    try {
        d.ExecuteSQL("SELECT * FROM missing_table");
        FAIL();
    } catch (const CDBException& e) {
        EXPECT_NE(e.m_strError.find("missing_table"), std::string::npos) << e.m_strError;
        EXPECT_EQ(e.m_strSqlState, "42S02");
        EXPECT_FALSE(e.IsLostConnection());
    }
    EXPECT_FALSE(s.ReconnectNeeded());
}

TEST(WebSession, FiveAttemptsThenFalseOrTheFifthError) {
    WebDb db;
    std::vector<std::chrono::milliseconds> pauses;
    auto record = [&pauses](std::chrono::milliseconds ms) { pauses.push_back(ms); };

    // Closed port: every attempt fails to reach the server.
    Listener closed; // bound but not listening: connections are refused
    WebConnectionValues v = WebDbValues(db);
    v.port = closed.Port();
    WebSession unreachable(v, record);
    unreachable.RaiseReconnect();
    EXPECT_FALSE(unreachable.OpenWebConnection());
    EXPECT_EQ(pauses, std::vector<std::chrono::milliseconds>(4, 300ms));
    EXPECT_TRUE(unreachable.ReconnectNeeded());

    // The server answers with an error: the fifth attempt's error reaches the caller.
    pauses.clear();
    WebConnectionValues bad = WebDbValues(db);
    bad.password = "wrong;password}";
    WebSession refused(bad, record);
    try {
        refused.OpenWebConnection();
        FAIL() << "no exception";
    } catch (const CDBException& e) {
        EXPECT_NE(e.m_strError.find("Access denied"), std::string::npos) << e.m_strError;
    }
    EXPECT_EQ(pauses.size(), 4u);

    // Success clears the reconnect flag; a second open closes the first connection.
    WebSession good(WebDbValues(db), record);
    good.RaiseReconnect();
    ASSERT_TRUE(good.OpenWebConnection());
    EXPECT_FALSE(good.ReconnectNeeded());
    ASSERT_TRUE(good.OpenWebConnection());
    EXPECT_EQ(Text(good, "SELECT DATABASE()"), db.Name());
    // Tokyo's date is known to the server (time-zone tables loaded, session in UTC).
    EXPECT_NE(Text(good, "SELECT DATE(CONVERT_TZ(CURRENT_TIME,'UTC','Asia/Tokyo'))"), "");
}

TEST(WebSession, SilentListenerIsBoundedByTheConnectTime) {
    WebDb db;
    Listener silent;
    silent.Listen(); // the kernel completes the handshake, nobody ever sends a greeting
    WebConnectionValues v = WebDbValues(db);
    v.port = silent.Port();
    v.connectTimeoutSeconds = 1;
    int attempts = 0;
    WebSession s(v, [&attempts](std::chrono::milliseconds) { ++attempts; });
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(s.OpenWebConnection());
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(attempts, 4);
    // Five bounded attempts; a hang would never get here (generous limit for a loaded machine).
    EXPECT_LT(took, 60s);
}

TEST(WebSession, ConnectionKilledByTheServerRaisesTheFlagAndReconnects) {
    WebDb db;
    WebSession s(WebDbValues(db));
    ASSERT_TRUE(s.OpenWebConnection());
    std::string id = Text(s, "SELECT CONNECTION_ID()");
    db.Exec("KILL CONNECTION " + id);
    try {
        s.Database().ExecuteSQL("CREATE TABLE after_kill (id INT)");
        FAIL() << "statement on a killed connection succeeded";
    } catch (const CDBException& e) {
        EXPECT_TRUE(e.IsLostConnection()) << e.m_strSqlState << " " << e.m_strError;
    }
    EXPECT_TRUE(s.ReconnectNeeded());
    ASSERT_TRUE(s.OpenWebConnection());
    EXPECT_FALSE(s.ReconnectNeeded());
    s.Database().ExecuteSQL("CREATE TABLE after_kill (id INT)");

    // A closed connection is reported the same way to readers and writers.
    s.Close();
    CRecordset rs(&s.Database());
    EXPECT_THROW(rs.Open(CRecordset::forwardOnly, "SELECT 1", CRecordset::readOnly), CDBException);
    EXPECT_TRUE(s.ReconnectNeeded());
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM information_schema.tables WHERE table_schema='" +
                        db.Name() + "' AND table_name='after_kill'"),
              "1");
}

TEST(WebSession, IdleConnectionClosedByTheServerCountsAsLost) {
    WebDb db;
    WebSession s(WebDbValues(db));
    ASSERT_TRUE(s.OpenWebConnection());
    s.Database().ExecuteSQL("SET SESSION wait_timeout=1");
    std::this_thread::sleep_for(2500ms);
    std::vector<std::string> errors;
    for (int i = 0; i < 2; ++i) {
        try {
            s.Database().ExecuteSQL("UPDATE info SET chk=1 WHERE id=0");
        } catch (const CDBException& e) {
            EXPECT_TRUE(e.IsLostConnection()) << e.m_strSqlState << " " << e.m_strError;
            errors.push_back(e.m_strError);
        }
    }
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_TRUE(s.ReconnectNeeded());
    ASSERT_TRUE(s.OpenWebConnection());
    s.Database().ExecuteSQL("UPDATE info SET chk=1 WHERE id=0");
}

TEST(WebSession, ValuesFromTheSettingsReachTheServer) {
    WebDb db;
    TempDir dir;
    const std::string ini = dir.File("Apposync.ini");
    platform::WriteProfileString(ini, "COMMON", "HOST", WebDb::Host());
    platform::WriteProfileString(ini, "COMMON", "PORT", std::to_string(WebDb::Port()));
    platform::WriteProfileString(ini, "COMMON", "USER", EncipherCredential(WebDb::User()));
    platform::WriteProfileString(ini, "COMMON", "PASS", EncipherCredential(WebDb::Password()));
    platform::WriteProfileString(ini, "COMMON", "MYSQL_DB", db.Suffix());
    AgentSettings::SetProfileFile(ini);
    WebConnectionValues v = WebConnectionValuesFromSettings();
    EXPECT_EQ(v.driver, "{MariaDB Unicode}");
    EXPECT_EQ(v.database, db.Name());
    EXPECT_EQ(v.connectTimeoutSeconds, 5);
    WebSession s(v);
    EXPECT_TRUE(s.OpenWebConnection());
    EXPECT_EQ(Text(s, "SELECT DATABASE()"), db.Name());

    platform::WriteProfileString(ini, "COMMON", "ODBC_DRIVER", "{No Such Driver}");
    platform::WriteProfileString(ini, "COMMON", "CONN_TIMEOUT", "0");
    v = WebConnectionValuesFromSettings();
    EXPECT_EQ(v.connectTimeoutSeconds, 1);
    WebSession missing(v, [](std::chrono::milliseconds) {});
    EXPECT_THROW(missing.OpenWebConnection(), CDBException); // an unknown driver is no outage
    AgentSettings::SetProfileFile("");
}
