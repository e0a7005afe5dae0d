#include "JsonImporter.h"

#include "CCategoryDB.h"
#include "CPatientDB2.h"
#include "CPelmoDBSys.h"
#include "CSaleItemDB.h"
#include "PelmoStatus.h"
#include "RecordText.h"
#include "SqliteConnection.h"
#include "TableCatalog.h"
#include "platform/Cp932.h"

#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <cstdio>
#include <map>

using nlohmann::json;

namespace {

struct Failure {
    JsonImporter::Result result;
    std::string text;
};

class Loader {
public:
    Loader(CPelmoDBSys& sys, const std::string& folder) : m_sys(sys), m_folder(folder) {}

    CBaseDBCall& Table(const std::string& name) {
        auto& t = m_tables[name];
        if (!t) {
            t = TableCatalog::Make(name, m_folder);
            t->SetAssociatedDB(&m_sys);
        }
        return *t;
    }

    // Fills the table's record from obj (members in skip are left to the caller).
    void Fill(CBaseDBCall& table, const json& obj, const std::string& where,
              std::initializer_list<const char*> skip = {}) {
        if (!obj.is_object())
            throw Failure{JsonImporter::kBadInput, where + ": an object is expected"};
        table.ClearRecord();
        void* rec = RecordOf(table);
        for (auto it = obj.begin(); it != obj.end(); ++it) {
            bool skipped = false;
            for (const char* s : skip)
                skipped = skipped || it.key() == s;
            if (skipped)
                continue;
            const TableSpec::Field* f = table.GetSpec().FindField(it.key());
            if (!f)
                throw Failure{JsonImporter::kBadInput, where + ": unknown field " + it.key()};
            std::string err;
            bool ok = false;
            const json& v = it.value();
            if (v.is_string())
                ok = RecordText::SetText(*f, rec, v.get<std::string>(), err);
            else if (v.is_number_integer())
                ok = RecordText::SetNumber(*f, rec, v.get<long long>(), err);
            else if (v.is_boolean())
                ok = RecordText::SetNumber(*f, rec, v.get<bool>() ? 1 : 0, err);
            else
                err = it.key() + ": a text or a whole number is expected";
            if (!ok)
                throw Failure{JsonImporter::kBadInput, where + ": " + err};
        }
    }

    void Store(CBaseDBCall& table, const std::string& where) {
        const char* rec = static_cast<const char*>(RecordOf(table));
        for (const TableSpec::Segment& s : table.GetSpec().keys[0].segments)
            if (rec[s.offset] == '\0')
                throw Failure{JsonImporter::kBadInput, where + ": the key is empty"};
        int rc = table.Insert();
        if (rc == PelmoStatus::kDuplicateKey)
            rc = table.Update();
        if (rc != PelmoStatus::kOk)
            throw Failure{JsonImporter::kDatabaseError,
                          where + ": " + platform::Cp932ToUtf8(table.GetLastDBErr())};
        ++m_count;
    }

    static void* RecordOf(CBaseDBCall& table) { return table.RecordBuffer(); }

    int Count() const { return m_count; }

private:
    CPelmoDBSys& m_sys;
    std::string m_folder;
    std::map<std::string, std::unique_ptr<CBaseDBCall>> m_tables;
    int m_count = 0;
};

const json& ArrayOf(const json& root, const char* name) {
    const json& a = root.at(name);
    if (!a.is_array())
        throw Failure{JsonImporter::kBadInput, std::string(name) + ": an array is expected"};
    return a;
}

} // namespace

JsonImporter::Result JsonImporter::Import(const std::string& folder, const std::string& jsonText,
                                          std::string& message) {
    json root;
    try {
        root = json::parse(jsonText);
    } catch (const json::parse_error& e) {
        message = std::string("malformed JSON: ") + e.what();
        return kBadInput;
    }
    if (!root.is_object()) {
        message = "malformed JSON: the file must hold one object";
        return kBadInput;
    }
    static const char* const kSections[] = {"units",   "types",    "paymentTypes", "categories",
                                            "doctors", "patients", "reservations", "standby",
                                            "memos",   "sales",    "users",        "settings"};
    for (auto it = root.begin(); it != root.end(); ++it) {
        bool known = false;
        for (const char* s : kSections)
            known = known || it.key() == s;
        if (!known) {
            message = "unknown section: " + it.key();
            return kBadInput;
        }
    }

    CPelmoDBSys sys(folder);
    auto conn = sys.Connection();
    if (!conn) {
        message = platform::Cp932ToUtf8(sys.GetLastDBErr());
        return kBadInput;
    }
    std::string err;
    if (conn->Begin(err) != SQLITE_OK) {
        message = "cannot lock the database: " + err;
        return kDatabaseError;
    }
    Loader loader(sys, folder);
    try {
        struct CategorySection {
            const char* name;
            const char* kind;
        };
        for (CategorySection cs :
             {CategorySection{"units", "1"}, CategorySection{"types", "0"},
              CategorySection{"paymentTypes", "2"}, CategorySection{"categories", nullptr}}) {
            if (!root.contains(cs.name))
                continue;
            const json& a = ArrayOf(root, cs.name);
            for (std::size_t i = 0; i < a.size(); ++i) {
                std::string where = std::string(cs.name) + "[" + std::to_string(i) + "]";
                CBaseDBCall& t = loader.Table("category");
                loader.Fill(t, a[i], where);
                if (cs.kind) {
                    auto& rec = static_cast<CCategoryDB&>(t).m_rec;
                    std::snprintf(rec.kind, sizeof rec.kind, "%s", cs.kind);
                }
                loader.Store(t, where);
            }
        }
        struct Plain {
            const char* section;
            const char* table;
        };
        for (Plain p :
             {Plain{"doctors", "doctor"}, Plain{"reservations", "reservation"},
              Plain{"standby", "standby"}, Plain{"memos", "memo"}, Plain{"users", "owner"}}) {
            if (!root.contains(p.section))
                continue;
            const json& a = ArrayOf(root, p.section);
            for (std::size_t i = 0; i < a.size(); ++i) {
                std::string where = std::string(p.section) + "[" + std::to_string(i) + "]";
                CBaseDBCall& t = loader.Table(p.table);
                loader.Fill(t, a[i], where);
                loader.Store(t, where);
            }
        }
        if (root.contains("patients")) {
            const json& a = ArrayOf(root, "patients");
            for (std::size_t i = 0; i < a.size(); ++i) {
                std::string where = "patients[" + std::to_string(i) + "]";
                CBaseDBCall& t = loader.Table("patient");
                loader.Fill(t, a[i], where, {"characteristic"});
                loader.Store(t, where);
                if (a[i].contains("characteristic")) {
                    CBaseDBCall& t2 = loader.Table("patient2");
                    json second = {{"key", a[i].value("key", "")},
                                   {"characteristic", a[i]["characteristic"]}};
                    loader.Fill(t2, second, where);
                    loader.Store(t2, where);
                }
            }
        }
        if (root.contains("sales")) {
            const json& a = ArrayOf(root, "sales");
            for (std::size_t i = 0; i < a.size(); ++i) {
                std::string where = "sales[" + std::to_string(i) + "]";
                CBaseDBCall& t = loader.Table("sale");
                loader.Fill(t, a[i], where, {"items"});
                loader.Store(t, where);
                if (!a[i].contains("items"))
                    continue;
                const json& items = a[i]["items"];
                if (!items.is_array())
                    throw Failure{kBadInput, where + ".items: an array is expected"};
                for (std::size_t j = 0; j < items.size(); ++j) {
                    std::string iw = where + ".items[" + std::to_string(j) + "]";
                    json item = items[j];
                    if (!item.is_object())
                        throw Failure{kBadInput, iw + ": an object is expected"};
                    item["saleNo"] = a[i].value("saleNo", "");
                    if (!item.contains("itemNo")) {
                        char no[24];
                        std::snprintf(no, sizeof no, "%04zu", j + 1);
                        item["itemNo"] = no;
                    }
                    CBaseDBCall& ti = loader.Table("sale_item");
                    loader.Fill(ti, item, iw);
                    loader.Store(ti, iw);
                }
            }
        }
        if (root.contains("settings")) {
            const json& s = root["settings"];
            if (!s.is_object())
                throw Failure{kBadInput, "settings: an object is expected"};
            for (auto it = s.begin(); it != s.end(); ++it) {
                if (!it.value().is_string())
                    throw Failure{kBadInput, "settings." + it.key() + ": a text is expected"};
                std::string v = platform::Utf8ToCp932(it.value().get<std::string>());
                int rc;
                if (it.key() == "entryFolder")
                    rc = sys.SetEntryFolder(v);
                else if (it.key() == "clinicCode")
                    rc = sys.SetClinicCode(v);
                else
                    throw Failure{kBadInput, "settings: unknown value " + it.key()};
                if (rc != PelmoStatus::kOk)
                    throw Failure{kDatabaseError, platform::Cp932ToUtf8(sys.GetLastDBErr())};
            }
        }
    } catch (const Failure& f) {
        conn->End(false, err);
        message = f.text + " (nothing imported)";
        return f.result;
    } catch (const json::exception& e) {
        conn->End(false, err);
        message = std::string("malformed JSON: ") + e.what() + " (nothing imported)";
        return kBadInput;
    }
    if (conn->End(true, err) != SQLITE_OK) {
        message = "commit failed: " + err + " (nothing imported)";
        return kDatabaseError;
    }
    message = "imported " + std::to_string(loader.Count()) + " records";
    return kOk;
}
