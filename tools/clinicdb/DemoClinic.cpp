#include "DemoClinic.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <random>

using nlohmann::json;

namespace {

struct Name {
    const char* kanji;
    const char* kana;
};

const Name kSurnames[] = {
    {"佐藤", "サトウ"},   {"鈴木", "スズキ"},   {"高橋", "タカハシ"}, {"田中", "タナカ"},
    {"伊藤", "イトウ"},   {"渡辺", "ワタナベ"}, {"山本", "ヤマモト"}, {"中村", "ナカムラ"},
    {"小林", "コバヤシ"}, {"加藤", "カトウ"},   {"吉田", "ヨシダ"},   {"山田", "ヤマダ"},
    {"佐々木", "ササキ"}, {"山口", "ヤマグチ"}, {"松本", "マツモト"}, {"井上", "イノウエ"},
    {"木村", "キムラ"},   {"林", "ハヤシ"},     {"斎藤", "サイトウ"}, {"清水", "シミズ"},
};
const Name kGivenNames[] = {
    {"太郎", "タロウ"},   {"花子", "ハナコ"},   {"翔太", "ショウタ"}, {"美咲", "ミサキ"},
    {"健一", "ケンイチ"}, {"陽菜", "ヒナ"},     {"大輔", "ダイスケ"}, {"結衣", "ユイ"},
    {"直樹", "ナオキ"},   {"さくら", "サクラ"}, {"拓也", "タクヤ"},   {"葵", "アオイ"},
    {"浩二", "コウジ"},   {"真由美", "マユミ"}, {"蓮", "レン"},       {"恵子", "ケイコ"},
    {"誠", "マコト"},     {"愛", "アイ"},       {"修", "オサム"},     {"優子", "ユウコ"},
};
const Name kTypes[] = {
    {"00", "初診相談"},     {"01", "初診"}, {"02", "再診"},     {"03", "定期検診"},
    {"04", "クリーニング"}, {"05", "抜歯"}, {"06", "根管治療"}, {"07", "義歯調整"},
};

std::string Ten(long n) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%010ld", n);
    return buf;
}

std::string Hhmm(int minutes) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02d%02d", minutes / 60, minutes % 60);
    return buf;
}

std::string Ymd(std::chrono::sys_days d) {
    std::chrono::year_month_day ymd{d};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02u%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return buf;
}

std::chrono::sys_days ParseYmd(const std::string& s) {
    using namespace std::chrono;
    return sys_days{year{std::stoi(s.substr(0, 4))} / month{unsigned(std::stoi(s.substr(4, 2)))} /
                    day{unsigned(std::stoi(s.substr(6, 2)))}};
}

} // namespace

json DemoClinic::Document(const std::string& today) {
    using namespace std::chrono;
    std::mt19937 rng(20250101);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };

    json doc;
    doc["units"] = json::array();
    for (int u = 1; u <= 4; ++u)
        doc["units"].push_back(
            {{"code", std::to_string(u)}, {"name", "ユニット" + std::to_string(u)}});
    doc["doctors"] = json::array({
        {{"code", "1"}, {"name", "山本 一郎"}, {"kana", "ヤマモト イチロウ"}},
        {{"code", "2"}, {"name", "佐藤 美穂"}, {"kana", "サトウ ミホ"}},
        {{"code", "3"}, {"name", "高木 健"}, {"kana", "タカギ ケン"}},
    });
    doc["types"] = json::array();
    for (const Name& t : kTypes)
        doc["types"].push_back({{"code", t.kanji}, {"name", t.kana}});
    doc["paymentTypes"] = json::array({{{"code", "1"}, {"name", "現金"}},
                                       {{"code", "2"}, {"name", "クレジットカード"}},
                                       {{"code", "3"}, {"name", "電子マネー"}}});
    doc["users"] = json::array({
        {{"id", 1}, {"staffCode", "admin"}, {"name", "管理者"}, {"password", "admin123"}},
        {{"id", 2}, {"staffCode", "uketsuke"}, {"name", "受付"}, {"password", ""}},
    });

    const char* kCharacteristics[] = {"ペニシリンアレルギー", "高血圧", "糖尿病", "妊娠中"};
    doc["patients"] = json::array();
    for (int i = 1; i <= 200; ++i) {
        const Name& s = kSurnames[pick(20)];
        const Name& g = kGivenNames[pick(20)];
        char birthday[40], tel[40];
        std::snprintf(birthday, sizeof birthday, "%04d%02d%02d", 1940 + pick(78), 1 + pick(12),
                      1 + pick(28));
        std::snprintf(tel, sizeof tel, "090-%04d-%04d", pick(10000), pick(10000));
        json p = {{"key", Ten(i)},
                  {"displayNo", std::to_string(1000 + i)},
                  {"name", std::string(s.kanji) + " " + g.kanji},
                  {"kana", std::string(s.kana) + " " + g.kana},
                  {"birthday", birthday},
                  {"tel", tel}};
        if (pick(8) == 0)
            p["comment"] = "電話連絡は午後希望";
        if (pick(6) == 0)
            p["characteristic"] = kCharacteristics[pick(4)];
        doc["patients"].push_back(p);
    }

    sys_days day0 = ParseYmd(today);
    doc["reservations"] = json::array();
    doc["sales"] = json::array();
    doc["memos"] = json::array();
    long key = 0;
    int sales = 0;
    for (int offset = -3; offset <= 3; ++offset) {
        sys_days d = day0 + days{offset};
        if (weekday{d} == Sunday)
            continue;
        std::string date = Ymd(d);
        for (int unit = 1; unit <= 4; ++unit) {
            for (int t = 9 * 60; t < 18 * 60;) {
                if (t >= 12 * 60 + 30 && t < 14 * 60) {
                    t = 14 * 60;
                    continue;
                }
                int length = pick(3) == 0 ? 60 : 30;
                if (pick(100) >= 55 || t + length > 18 * 60) {
                    t += 30;
                    continue;
                }
                int patient = 1 + pick(200);
                json r = {{"key", Ten(++key)},
                          {"patientKey", Ten(patient)},
                          {"date", date},
                          {"start", Hhmm(t)},
                          {"end", Hhmm(t + length)},
                          {"unit", std::to_string(unit)},
                          {"doctor", std::to_string(1 + pick(3))},
                          {"type", kTypes[1 + pick(7)].kanji},
                          {"amount", 0},
                          {"status", 0}};
                if (offset < 0) {
                    if (pick(10) == 0) {
                        r["status"] = 2;
                        r["cancelNote"] = "電話にてキャンセル";
                        r["cancelDate"] = Ymd(d - days{1});
                    } else {
                        r["status"] = 1;
                        r["receptionTime"] = Hhmm(t - 5);
                        r["amount"] = 500 + 10 * pick(400);
                        if (sales < 12) {
                            std::string saleNo = Ten(++sales);
                            r["saleNo"] = saleNo;
                            doc["sales"].push_back(
                                {{"saleNo", saleNo},
                                 {"patientKey", Ten(patient)},
                                 {"date", date},
                                 {"reservationKey", Ten(key)},
                                 {"paymentType", std::to_string(1 + pick(3))},
                                 {"amount", r["amount"]},
                                 {"items", json::array({{{"name", "初・再診料"}, {"amount", 500}},
                                                        {{"name", "処置料"}, {"amount", 300}}})}});
                            doc["memos"].push_back(
                                {{"patientKey", Ten(patient)},
                                 {"memoNo", Ten(sales)},
                                 {"date", date},
                                 {"updateDate", date},
                                 {"text", "本日の処置：歯石除去。\r\n次回は経過観察。"}});
                        }
                    }
                } else {
                    r["saleOnArrival"] = pick(2);
                    if (pick(20) == 0) {
                        r["status"] = 2;
                        r["cancelNote"] = "Webにてキャンセル";
                    }
                }
                doc["reservations"].push_back(r);
                t += length;
            }
        }
    }

    doc["standby"] = json::array();
    for (int i = 1; i <= 5; ++i)
        doc["standby"].push_back({{"key", Ten(i)},
                                  {"patientKey", Ten(1 + pick(200))},
                                  {"periodFrom", today},
                                  {"periodTo", Ymd(day0 + days{14})},
                                  {"timeFrom", "0900"},
                                  {"timeTo", "1800"},
                                  {"detail", "早い日程を希望（キャンセル待ち）"},
                                  {"type", kTypes[3 + pick(2)].kanji},
                                  {"registeredDate", today}});
    // The clinic's identifier at the booking service: the web's hospital_infos row is keyed by it.
    doc["settings"] = {{"clinicCode", kDemoClinicCode}};
    return doc;
}
