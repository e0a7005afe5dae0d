#include "ClinicDbCommand.h"

#include "CPelmoDBSys.h"
#include "DemoClinic.h"
#include "EntryFileWriter.h"
#include "JsonImporter.h"
#include "PelmoSchema.h"
#include "RecordText.h"
#include "TableCatalog.h"
#include "agent/core/Credentials.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/ClinicZone.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"

#include <nlohmann/json.hpp>

#include <cstring>
#include <ctime>

namespace {

const char* const kUsage =
    "usage: clinicdb init FOLDER | import FOLDER FILE.json | show FOLDER TABLE [KEY] |\n"
    "       set FOLDER entry-folder|clinic-code VALUE | demo FOLDER | encipher TEXT |\n"
    "       entry FOLDER reservation WORD KEY | entry FOLDER sale WORD SALENO |\n"
    "       entry FOLDER memo WORD PATIENTKEY MEMONO | entry FOLDER patient PATIENTKEY |\n"
    "       entry FOLDER notice PATIENTKEY YYYYMMDD TITLE CONTENT\n";

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

bool IsDigits(const std::string& s, std::size_t n) {
    if (s.size() != n)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool ValidDate(const std::string& s) {
    if (!IsDigits(s, 8))
        return false;
    int m = std::stoi(s.substr(4, 2)), d = std::stoi(s.substr(6, 2));
    return m >= 1 && m <= 12 && d >= 1 && d <= 31;
}

bool OneLine(const std::string& s) {
    return s.find_first_of("\r\n") == std::string::npos;
}

bool OneOf(const std::string& word, std::initializer_list<const char*> words) {
    for (const char* w : words)
        if (word == w)
            return true;
    return false;
}

} // namespace

std::string ClinicDbCommand::Today() const {
    if (!m_today.empty())
        return m_today;
    const std::tm tm = platform::ToClinicTime(std::time(nullptr));
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y%m%d", &tm);
    return buf;
}

int ClinicDbCommand::Usage(const std::string& problem) {
    m_err << "clinicdb: " << problem << "\n" << kUsage;
    return 2;
}

int ClinicDbCommand::Run(const std::vector<std::string>& args) {
    if (args.empty())
        return Usage("no command");
    const std::string& cmd = args[0];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        m_out << kUsage;
        return 0;
    }
    if (cmd == "init")
        return Init(args);
    if (cmd == "import")
        return Import(args);
    if (cmd == "show")
        return Show(args);
    if (cmd == "set")
        return Set(args);
    if (cmd == "entry")
        return Entry(args);
    if (cmd == "demo")
        return Demo(args);
    if (cmd == "encipher")
        return Encipher(args);
    return Usage("unknown command: " + cmd);
}

bool ClinicDbCommand::NeedDatabase(const std::string& folder) {
    if (!platform::FolderExists(folder)) {
        m_err << "clinicdb: folder not found: " << folder << "\n";
        return false;
    }
    CPelmoDBSys sys(folder);
    if (!sys.Connection()) {
        m_err << "clinicdb: " << platform::Cp932ToUtf8(sys.GetLastDBErr())
              << " (run clinicdb init first)\n";
        return false;
    }
    return true;
}

int ClinicDbCommand::Init(const std::vector<std::string>& a) {
    if (a.size() != 2)
        return Usage("init needs FOLDER");
    std::string folder = WithSlash(a[1]);
    if (!platform::MakeDirs(folder)) {
        m_err << "clinicdb: cannot create folder " << folder << "\n";
        return 2;
    }
    std::string err;
    if (PelmoSchema::Create(folder, err) != PelmoStatus::kOk) {
        m_err << "clinicdb: " << err << "\n";
        return 1;
    }
    m_out << "database ready: " << PelmoSchema::DatabaseFile(folder) << "\n";
    return 0;
}

int ClinicDbCommand::Import(const std::vector<std::string>& a) {
    if (a.size() != 3)
        return Usage("import needs FOLDER FILE.json");
    std::string folder = WithSlash(a[1]);
    if (!NeedDatabase(folder))
        return 2;
    std::string text;
    if (!platform::ReadFile(a[2], text)) {
        m_err << "clinicdb: cannot read " << a[2] << "\n";
        return 2;
    }
    std::string message;
    JsonImporter::Result r = JsonImporter::Import(folder, text, message);
    (r == JsonImporter::kOk ? m_out : m_err)
        << (r == JsonImporter::kOk ? "" : "clinicdb: ") << message << "\n";
    return static_cast<int>(r);
}

int ClinicDbCommand::Show(const std::vector<std::string>& a) {
    if (a.size() != 3 && a.size() != 4)
        return Usage("show needs FOLDER TABLE [KEY]");
    std::string folder = WithSlash(a[1]);
    auto table = TableCatalog::Make(a[2], folder);
    if (!table) {
        std::string names;
        for (const std::string& n : TableCatalog::Names())
            names += " " + n;
        return Usage("unknown table: " + a[2] + " (tables:" + names + ")");
    }
    if (!NeedDatabase(folder))
        return 2;
    const TableSpec& spec = table->GetSpec();
    // KEY: leading key 0 segments, '/' between them.
    std::vector<std::string> parts;
    if (a.size() == 4) {
        std::string cp = platform::Utf8ToCp932(a[3]);
        std::size_t pos = 0;
        while (true) {
            std::size_t slash = cp.find('/', pos);
            parts.push_back(cp.substr(pos, slash - pos));
            if (slash == std::string::npos)
                break;
            pos = slash + 1;
        }
        if (parts.size() > spec.keys[0].segments.size())
            return Usage("key has more parts than the table's key: " + a[3]);
    }
    std::string keyBytes;
    for (std::size_t i = 0; i < spec.keys[0].segments.size(); ++i) {
        std::string seg(spec.keys[0].segments[i].size, '\0');
        if (i < parts.size()) {
            if (parts[i].size() >= seg.size())
                return Usage("key part too long: " + parts[i]);
            std::memcpy(seg.data(), parts[i].data(), parts[i].size());
        }
        keyBytes += seg;
    }
    std::size_t matchLen = 0;
    for (std::size_t i = 0; i < parts.size(); ++i)
        matchLen += spec.keys[0].segments[i].size;

    table->SetKey(0);
    table->SetKeyBuffer(keyBytes.data(), static_cast<int>(keyBytes.size()));
    int shown = 0;
    int rc = table->GetGREQ();
    for (; rc == PelmoStatus::kOk; rc = table->GetNEXT()) {
        if (matchLen > 0 && spec.KeyBytes(spec.keys[0], table->RecordBuffer())
                                    .compare(0, matchLen, keyBytes, 0, matchLen) != 0)
            break;
        m_out << RecordText::Line(spec, table->RecordBuffer()) << "\n";
        ++shown;
    }
    if (rc != PelmoStatus::kOk && rc != PelmoStatus::kEndOfFile) {
        m_err << "clinicdb: " << platform::Cp932ToUtf8(table->GetLastDBErr()) << "\n";
        return 1;
    }
    if (shown == 0 && !parts.empty()) {
        m_err << "clinicdb: no record with key " << a[3] << "\n";
        return 1;
    }
    return 0;
}

int ClinicDbCommand::Set(const std::vector<std::string>& a) {
    if (a.size() != 4)
        return Usage("set needs FOLDER entry-folder|clinic-code VALUE");
    std::string folder = WithSlash(a[1]);
    if (a[2] != "entry-folder" && a[2] != "clinic-code")
        return Usage("unknown value: " + a[2]);
    if (!OneLine(a[3]))
        return Usage("the value must be one line");
    if (!NeedDatabase(folder))
        return 2;
    CPelmoDBSys sys(folder);
    std::string value = platform::Utf8ToCp932(a[3]);
    int rc = a[2] == "entry-folder" ? sys.SetEntryFolder(value) : sys.SetClinicCode(value);
    if (rc != PelmoStatus::kOk) {
        m_err << "clinicdb: " << platform::Cp932ToUtf8(sys.GetLastDBErr()) << "\n";
        return 1;
    }
    return 0;
}

int ClinicDbCommand::Entry(const std::vector<std::string>& a) {
    if (a.size() < 3)
        return Usage("entry needs FOLDER KIND ...");
    std::string folder = WithSlash(a[1]);
    const std::string& kind = a[2];
    for (std::size_t i = 3; i < a.size(); ++i)
        if (!OneLine(a[i]) && !(kind == "notice" && i == 6))
            return Usage("entry values must be one line each");
    std::vector<std::string> lines;
    std::string extension;
    auto needKey = [&](const std::string& k, const char* what) {
        if (k.empty() || k.size() > 20) {
            Usage(std::string("not a ") + what + ": '" + k + "'");
            return false;
        }
        return true;
    };
    if (kind == "reservation") {
        if (a.size() != 5)
            return Usage("entry reservation needs WORD KEY");
        if (!OneOf(a[3], {"INSERT", "UPDATE", "DELETE", "STD_INSERT", "STD_UPDATE", "STD_DELETE",
                          "INSERT_NO_PENDING_UPDATE", "UPDATE_NO_PENDING_UPDATE"}))
            return Usage("unknown reservation word: " + a[3]);
        if (!needKey(a[4], "reservation key"))
            return 2;
        lines = {a[3], "RegNo=" + a[4]};
        extension = ".txt";
    } else if (kind == "sale") {
        if (a.size() != 5)
            return Usage("entry sale needs WORD SALENO");
        if (!OneOf(a[3], {"INSERT", "UPDATE", "DELETE"}))
            return Usage("unknown sale word: " + a[3]);
        if (!needKey(a[4], "sale number"))
            return 2;
        lines = {a[3], "SaleReg=" + a[4]};
        extension = ".sale";
    } else if (kind == "memo") {
        if (a.size() != 6)
            return Usage("entry memo needs WORD PATIENTKEY MEMONO");
        if (!OneOf(a[3], {"INSERT", "UPDATE", "MEMO", "DELETE"}))
            return Usage("unknown memo word: " + a[3]);
        if (!needKey(a[4], "patient key") || !needKey(a[5], "memo number"))
            return 2;
        lines = {a[3], "PatientReg=" + a[4], "MemoNo=" + a[5]};
        extension = ".memo";
    } else if (kind == "notice") {
        if (a.size() != 7)
            return Usage("entry notice needs PATIENTKEY YYYYMMDD TITLE CONTENT");
        if (!needKey(a[3], "patient key"))
            return 2;
        if (!ValidDate(a[4]))
            return Usage("not a date YYYYMMDD: " + a[4]);
        lines = {a[3], a[4], platform::Utf8ToCp932(a[5])};
        std::string content = a[6];
        std::size_t pos = 0;
        while (true) {
            std::size_t nl = content.find('\n', pos);
            std::string line = content.substr(pos, nl - pos);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(platform::Utf8ToCp932(line));
            if (nl == std::string::npos)
                break;
            pos = nl + 1;
        }
        extension = ".notice";
    } else if (kind == "patient") {
        if (a.size() != 4)
            return Usage("entry patient needs PATIENTKEY");
        if (!needKey(a[3], "patient key") || a[3].find_first_of("/.") != std::string::npos)
            return a[3].find_first_of("/.") != std::string::npos
                       ? Usage("not a patient key: " + a[3])
                       : 2;
    } else {
        return Usage("unknown entry kind: " + kind);
    }
    if (!NeedDatabase(folder))
        return 2;
    CPelmoDBSys sys(folder);
    std::string entryFolder;
    if (sys.GetEntryFolder(entryFolder) != PelmoStatus::kOk) {
        m_err << "clinicdb: " << platform::Cp932ToUtf8(sys.GetLastDBErr()) << "\n";
        return 1;
    }
    if (entryFolder.empty())
        entryFolder = folder + "EntryToWeb/";
    std::string err;
    if (kind == "patient") {
        bool existed = false;
        if (!EntryFileWriter::WriteNamed(entryFolder, a[3] + ".pat", "", existed, err)) {
            m_err << "clinicdb: " << err << "\n";
            return 1;
        }
        m_out << entryFolder << a[3] << ".pat" << (existed ? " (already queued)" : "") << "\n";
        return 0;
    }
    std::string path;
    if (!EntryFileWriter::WriteUnique(entryFolder, extension, EntryFileWriter::Lines(lines), path,
                                      err)) {
        m_err << "clinicdb: " << err << "\n";
        return 1;
    }
    m_out << path << "\n";
    return 0;
}

int ClinicDbCommand::Demo(const std::vector<std::string>& a) {
    if (a.size() != 2)
        return Usage("demo needs FOLDER");
    std::string folder = WithSlash(a[1]);
    if (Init({"init", folder}) != 0)
        return 1;
    std::string message;
    JsonImporter::Result r =
        JsonImporter::Import(folder, DemoClinic::Document(Today()).dump(), message);
    if (r != JsonImporter::kOk) {
        m_err << "clinicdb: " << message << "\n";
        return 1;
    }
    m_out << "demo clinic: " << message << "\n";
    return 0;
}

int ClinicDbCommand::Encipher(const std::vector<std::string>& a) {
    if (a.size() != 2)
        return Usage("encipher needs TEXT");
    std::string hex = EncipherCredential(platform::Utf8ToCp932(a[1]));
    if (hex.empty()) {
        m_err << "clinicdb: the cipher library failed\n";
        return 1;
    }
    m_out << hex << "\n";
    return 0;
}
