#pragma once
// A small file-backed stand-in for the desktop registry: keys (present or absent) holding named
// string and integer values, in two hives. Key paths use '\' as on the desktop
// ("SOFTWARE\\Talmor\\Corvane2"); names match case-insensitively.
#include <optional>
#include <string>

namespace platform {

enum class Hive { Machine, User };

class RegistryStore {
public:
    // Root folder of the store; default: RegistryFolder() (ProgramFolder.h). Tests pass a
    // temporary folder.
    explicit RegistryStore(std::string rootFolder = DefaultRoot());
    static std::string DefaultRoot();

    // A key path with an empty name between delimiters, ".", "..", '/' or ".values" is invalid:
    // it never exists and every write to it fails.
    bool KeyExists(Hive hive, const std::string& key) const;
    bool CreateKey(Hive hive, const std::string& key); // true when present afterwards
    // Deletes the key with its sub-keys and values; false when it was absent or stays.
    bool DeleteKey(Hive hive, const std::string& key);

    // nullopt when the key or the value is absent. GetString gives an integer value as decimal
    // text; GetInt reads a string value only when it is a whole decimal number.
    std::optional<std::string> GetString(Hive hive, const std::string& key,
                                         const std::string& name) const;
    std::optional<int> GetInt(Hive hive, const std::string& key, const std::string& name) const;

    // Creates the key when missing. Writes are atomic per key.
    bool SetString(Hive hive, const std::string& key, const std::string& name,
                   const std::string& value);
    bool SetInt(Hive hive, const std::string& key, const std::string& name, int value);
    bool DeleteValue(Hive hive, const std::string& key, const std::string& name); // false if absent

    const std::string& Root() const { return m_root; }

private:
    std::string m_root;
};

} // namespace platform
