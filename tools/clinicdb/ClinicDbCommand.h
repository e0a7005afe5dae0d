#pragma once
// The clinicdb command line. Exit status: 0 done, 1 the database failed or the record was not
// found, 2 bad input (usage, malformed file, unknown table, missing folder).
//
//   init FOLDER                          create the database (and FOLDER)
//   import FOLDER FILE.json              load a JSON file in one transaction (see JsonImporter)
//   show FOLDER TABLE [KEY]              one record per line: key, then name=value (UTF-8);
//                                        KEY: key 0 segments separated by '/', leading ones only
//   set FOLDER entry-folder|clinic-code VALUE
//   entry FOLDER reservation WORD KEY    entry files into the entry folder (CP932, CR LF)
//   entry FOLDER sale WORD SALENO
//   entry FOLDER memo WORD PATIENTKEY MEMONO
//   entry FOLDER notice PATIENTKEY YYYYMMDD TITLE CONTENT   (CONTENT lines separated by \n)
//   entry FOLDER patient PATIENTKEY
//   demo FOLDER                          create the database and fill a demo clinic
//   encipher TEXT                        the stored-credential form of TEXT
//   --help                               the usage, on standard output (exit 0)
#include <ostream>
#include <string>
#include <vector>

class ClinicDbCommand {
public:
    ClinicDbCommand(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    int Run(const std::vector<std::string>& args);

    // Today as YYYYMMDD for the demo; empty means the local date.
    void SetToday(const std::string& today) { m_today = today; }

private:
    int Usage(const std::string& problem);
    int Init(const std::vector<std::string>& a);
    int Import(const std::vector<std::string>& a);
    int Show(const std::vector<std::string>& a);
    int Set(const std::vector<std::string>& a);
    int Entry(const std::vector<std::string>& a);
    int Demo(const std::vector<std::string>& a);
    int Encipher(const std::vector<std::string>& a);
    // Checks that folder holds a clinic database; prints why not.
    bool NeedDatabase(const std::string& folder);
    std::string Today() const;

    std::ostream& m_out;
    std::ostream& m_err;
    std::string m_today;
};
