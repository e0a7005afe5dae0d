#include "PelmoMessages.h"

#include "PelmoSchema.h"
#include "platform/Cp932.h"

#include <sqlite3.h>

#include <map>
#include <mutex>

using platform::J;

namespace {

struct Source {
    std::string settingsFile;
    std::string key;
};

std::mutex g_mutex;
std::map<std::string, Source>& Sources() {
    static std::map<std::string, Source> sources; // database file -> where its folder was set
    return sources;
}

bool HasFolder(const std::string& databaseFile) {
    return databaseFile.find('/') != std::string::npos;
}

} // namespace

void PelmoMessages::SetFolderSource(const std::string& folder, const std::string& settingsFile,
                                    const std::string& key) {
    const std::string file = PelmoSchema::DatabaseFile(folder);
    std::lock_guard<std::mutex> lock(g_mutex);
    if (settingsFile.empty())
        Sources().erase(file);
    else
        Sources()[file] = Source{settingsFile, key};
}

std::string PelmoMessages::SourceNote(const std::string& databaseFile) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = Sources().find(databaseFile);
    if (it == Sources().end())
        return {};
    return J("（フォルダは ") + it->second.settingsFile + J(" の ") + it->second.key +
           J(" で設定）");
}

std::string PelmoMessages::Missing(const std::string& file) {
    if (!HasFolder(file)) {
        // An empty folder setting: the library would look in the current folder, which is
        // never what the clinic meant.
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = Sources().find(file);
        if (it != Sources().end())
            return J("ローカルデータベースのフォルダが設定されていません（") +
                   it->second.settingsFile + J(" の ") + it->second.key + J("）");
    }
    return J("ローカルデータベースが見つかりません: ") + file + SourceNote(file);
}

std::string PelmoMessages::CannotOpen(const std::string& file, int sqliteCode,
                                      const std::string& sqliteText) {
    if (IsLockCode(sqliteCode))
        return Locked(file, J("データベースを開く処理"));
    return J("ローカルデータベースを開けません: ") + file + J("（") +
           Reason(sqliteCode, sqliteText) + J("）") + SourceNote(file);
}

std::string PelmoMessages::NotClinicDatabase(const std::string& file) {
    return J("ローカルデータベースのファイルではありません: ") + file + SourceNote(file);
}

std::string PelmoMessages::WrongVersion(const std::string& file, const std::string& found,
                                        const std::string& expected) {
    return J("ローカルデータベースのバージョンが違います: ") + file + J("（ファイルは ") +
           (found.empty() ? J("不明") : found) + J("、このプログラムは ") + expected + J("）") +
           SourceNote(file);
}

std::string PelmoMessages::Locked(const std::string& file, const std::string& what) {
    return J("ローカルデータベースが他のプログラムにロックされています: ") + file + J("（") + what +
           J("）。しばらくしてから再度お試しください。");
}

std::string PelmoMessages::Failed(const std::string& what, int sqliteCode,
                                  const std::string& sqliteText) {
    return what + J("に失敗しました（") + Reason(sqliteCode, sqliteText) + J("）");
}

bool PelmoMessages::IsLockCode(int sqliteCode) {
    const int primary = sqliteCode & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

std::string PelmoMessages::Reason(int sqliteCode, const std::string& sqliteText) {
    switch (sqliteCode & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return J("他のプログラムがロックしています");
    case SQLITE_CANTOPEN:
        return J("ファイルを開けません。フォルダとファイルの権限を確認してください");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return J("アクセスが許可されていません");
    case SQLITE_READONLY:
        return J("読み取り専用のため書き込めません");
    case SQLITE_NOTADB:
        return J("データベースのファイルではないか、壊れています");
    case SQLITE_CORRUPT:
        return J("ファイルが壊れています");
    case SQLITE_FULL:
        return J("ディスクに空きがありません");
    case SQLITE_IOERR:
        return J("ファイルの読み書きに失敗しました");
    default:
        return sqliteText;
    }
}

const std::string& PelmoMessages::NotFound() {
    static const std::string text = J("該当するレコードがありません");
    return text;
}

const std::string& PelmoMessages::EndOfFile() {
    static const std::string text = J("これ以上レコードがありません");
    return text;
}

const std::string& PelmoMessages::NoCurrent() {
    static const std::string text = J("現在のレコードがありません");
    return text;
}

const std::string& PelmoMessages::Duplicate() {
    static const std::string text = J("同じキーのレコードが既にあります");
    return text;
}

std::string PelmoMessages::NoKeyNumber(int keyNumber) {
    return J("キー番号 ") + std::to_string(keyNumber) + J(" はありません");
}

std::string PelmoMessages::NotADate(const std::string& value) {
    return J("日付ではありません: ") + value;
}
