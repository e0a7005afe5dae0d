#include "platform/RegistryStore.h"

#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/FolderLock.h"
#include "platform/ProgramFolder.h"

#include <cstdint>
#include <dirent.h>
#include <filesystem>
#include <unistd.h>
#include <vector>

// Layout: <root>/machine/ and <root>/user/ hold one folder per key ("SOFTWARE\A\B" is the folder
// SOFTWARE/A/B); a key's values live in the file ".values" inside its folder, one value a line:
// "s<TAB>name<TAB>text" or "i<TAB>name<TAB>number", with '\', TAB, CR and LF escaped.

namespace platform {

namespace {

const char* const kValuesFile = ".values";

struct Value {
    char type = 's';
    std::string name;
    std::string data;
};

// Key path split at '\' (outer delimiters ignored); empty when a component cannot be a folder
// name here ('/', ".", "..", empty, the values file's name). A '\' that is the trail byte of a
// double-byte character is not a delimiter.
std::vector<std::string> SplitKey(const std::string& key) {
    std::vector<std::string> parts;
    std::string current;
    for (std::size_t i = 0; i < key.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(key[i]);
        if (IsLeadByte(c) && i + 1 < key.size()) {
            current += key.substr(i, 2);
            ++i;
        } else if (c == '\\') {
            parts.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(c));
        }
    }
    parts.push_back(current);
    while (!parts.empty() && parts.front().empty())
        parts.erase(parts.begin());
    while (!parts.empty() && parts.back().empty())
        parts.pop_back();
    for (const std::string& p : parts) {
        if (p.empty() || p == "." || p == ".." || p.find('/') != std::string::npos ||
            p.find('\0') != std::string::npos || SameCp932Name(p, kValuesFile))
            return {};
    }
    return parts;
}

std::string HiveFolder(const std::string& root, Hive hive) {
    std::string folder = root;
    if (!folder.empty() && folder.back() != '/')
        folder.push_back('/');
    return folder + (hive == Hive::Machine ? "machine/" : "user/");
}

// The existing entry of `folder` matching `name` case-insensitively, or "" when none.
std::string FindEntry(const std::string& folder, const std::string& name) {
    if (FolderExists(folder + name))
        return name;
    std::string found;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            if (SameCp932Name(e->d_name, name) && FolderExists(folder + e->d_name)) {
                found = e->d_name;
                break;
            }
        }
        closedir(dir);
    }
    return found;
}

// Folder of the key ending with '/', resolving each name case-insensitively; creates missing
// folders when `create`. Empty when the key is absent (or invalid).
std::string KeyFolder(const std::string& root, Hive hive, const std::string& key, bool create) {
    std::vector<std::string> parts = SplitKey(key);
    if (parts.empty())
        return {};
    std::string folder = HiveFolder(root, hive);
    if (create && !MakeDirs(folder))
        return {};
    for (const std::string& part : parts) {
        std::string entry = FindEntry(folder, part);
        if (entry.empty()) {
            if (!create || !MakeDirs(folder + part))
                return {};
            entry = part;
        }
        folder += entry + "/";
    }
    return folder;
}

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::string Unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 >= s.size()) {
            out.push_back(s[i]);
            continue;
        }
        char c = s[++i];
        out.push_back(c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c);
    }
    return out;
}

// Byte-wise escaping keeps a CP932 trail byte 0x5C intact on the way back.
std::vector<Value> LoadValues(const std::string& folder) {
    std::vector<Value> values;
    std::string bytes;
    if (!ReadFile(folder + kValuesFile, bytes))
        return values;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        std::size_t t1 = line.find('\t');
        std::size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        if (t2 == std::string::npos || t1 != 1 || (line[0] != 's' && line[0] != 'i'))
            continue; // damaged line: skipped rather than misread
        values.push_back(
            {line[0], Unescape(line.substr(2, t2 - 2)), Unescape(line.substr(t2 + 1))});
    }
    return values;
}

bool SaveValues(const std::string& folder, const std::vector<Value>& values) {
    std::string bytes;
    for (const Value& v : values)
        bytes += std::string(1, v.type) + "\t" + Escape(v.name) + "\t" + Escape(v.data) + "\n";
    return WriteFileAtomic(folder + kValuesFile, bytes);
}

const Value* FindValue(const std::vector<Value>& values, const std::string& name) {
    for (const Value& v : values)
        if (SameCp932Name(v.name, name))
            return &v;
    return nullptr;
}

bool StoreValue(const std::string& root, Hive hive, const std::string& key, Value value) {
    std::string folder = KeyFolder(root, hive, key, true);
    if (folder.empty())
        return false;
    FolderLock lock(folder);
    std::vector<Value> values = LoadValues(folder);
    for (Value& v : values) {
        if (SameCp932Name(v.name, value.name)) {
            v.type = value.type;
            v.data = std::move(value.data);
            return SaveValues(folder, values);
        }
    }
    values.push_back(std::move(value));
    return SaveValues(folder, values);
}

// Decimal integer filling the whole text (optional sign), as stored by SetInt.
std::optional<int> ParseInt(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    std::size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i == text.size())
        return std::nullopt;
    long long n = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        n = n * 10 + (text[i] - '0');
        if (n > 4294967295LL)
            return std::nullopt;
    }
    if (text[0] == '-')
        n = -n;
    if (n < -2147483648LL || n > 4294967295LL)
        return std::nullopt;
    return static_cast<int>(static_cast<std::uint32_t>(n)); // DWORD values wrap like the original
}

} // namespace

RegistryStore::RegistryStore(std::string rootFolder) : m_root(std::move(rootFolder)) {}

std::string RegistryStore::DefaultRoot() {
    return RegistryFolder();
}

bool RegistryStore::KeyExists(Hive hive, const std::string& key) const {
    return !KeyFolder(m_root, hive, key, false).empty();
}

bool RegistryStore::CreateKey(Hive hive, const std::string& key) {
    return !KeyFolder(m_root, hive, key, true).empty();
}

bool RegistryStore::DeleteKey(Hive hive, const std::string& key) {
    std::string folder = KeyFolder(m_root, hive, key, false);
    if (folder.empty())
        return false;
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return !ec && !FolderExists(folder);
}

std::optional<std::string> RegistryStore::GetString(Hive hive, const std::string& key,
                                                    const std::string& name) const {
    std::string folder = KeyFolder(m_root, hive, key, false);
    if (folder.empty())
        return std::nullopt;
    std::vector<Value> values = LoadValues(folder);
    if (const Value* v = FindValue(values, name))
        return v->data;
    return std::nullopt;
}

std::optional<int> RegistryStore::GetInt(Hive hive, const std::string& key,
                                         const std::string& name) const {
    std::optional<std::string> text = GetString(hive, key, name);
    return text ? ParseInt(*text) : std::nullopt;
}

bool RegistryStore::SetString(Hive hive, const std::string& key, const std::string& name,
                              const std::string& value) {
    return StoreValue(m_root, hive, key, {'s', name, value});
}

bool RegistryStore::SetInt(Hive hive, const std::string& key, const std::string& name, int value) {
    return StoreValue(m_root, hive, key, {'i', name, std::to_string(value)});
}

bool RegistryStore::DeleteValue(Hive hive, const std::string& key, const std::string& name) {
    std::string folder = KeyFolder(m_root, hive, key, false);
    if (folder.empty())
        return false;
    FolderLock lock(folder);
    std::vector<Value> values = LoadValues(folder);
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (SameCp932Name(it->name, name)) {
            values.erase(it);
            return SaveValues(folder, values);
        }
    }
    return false;
}

} // namespace platform
