#include "PaygateTexts.h"

#include "platform/Cp932.h"

#include <cstdlib>

using platform::J;

std::string PaygateTexts::StatusMessage(int code, int extended) {
    switch (code) {
    case 0:
        return "OK";
    case 101:
        return J("クローズされているデバイスにアクセスしようとしました。");
    case 103:
        return J("デバイスの排他権が獲得されていません。");
    case 104:
        return J("コントロールがサービスオブジェクトと通信できません。");
    case 105:
        return J("デバイスをディセーブルしているときには動作を実行できません。");
    case 106:
        return J(
            "デバイスに無効な動作か、サポートされていない動作を実行しようとしたか、無効なパラメー"
            "タ値を使用しました 。");
    case 107:
        return J("デバイスをシステムに接続していないか、電源が入っていません。");
    case 109:
        return J("指定されたDeviceNameが見つかりません。");
    case 111:
        return J("デバイスがシステムに 接続され、電源が入っていて オンラインですが、 "
                 "デバイスからの応答が正常に受信できませんでした 。");
    case 112:
        return J(
            "デバイスからの応答を待ち合わせていたサービスオブジェクトがタイムアウトしたか、サービ"
            "スオブジェクトからの応答を待ち合わせていたコントロールがタイムアウトしました。");
    case 113:
        return J("現在の SO の状態は、この要求を受け付けられません。");
    case 114:
        switch (extended) {
        case 20:
            return J("取引不成立です。 (取引不可)");
        case 21:
            return J("取引不成立です。 (自動取消)");
        case 22:
            return J("取引不成立です。 (通信障害)");
        case 91:
            return J("端末処理中に CAT のリセットキーが押されました。");
        case 1010:
            return J(
                "電文フォーマットエラーです 。指定した業務を端末がサポートしていない可能性があり"
                "ます。");
        case 1020:
            return J("端末が BUSY 状態です。");
        case 1030:
            return J("端末画面が要求された業務モードに設定されていません。");
        case 1040:
            return J("POS からのキャンセルを受け付けました。");
        case 1050:
            return J("売上金額、または 税／その他 に指定した値が許容値を超えています。");
        case 1060:
            return J("取引不一致（金額、 IC 取扱通番不一致）");
        default:
            return J("不明なエラー(114-") + std::to_string(extended) + ")";
        }
    default:
        return J("不明なエラー(") + std::to_string(code) + ")";
    }
}

std::string PaygateTexts::KindName(std::int64_t kind) {
    switch (kind) {
    case 1:
        return J("クレジット");
    case 2:
        return J("デビット");
    case 3:
        return J("銀聯");
    case 4:
        return J("NFC ペイメント");
    case 200:
        return "QUICPay";
    case 300:
        return "iD";
    case 400:
        return "nanaco";
    case 600:
        return J("交通系IC");
    case 700:
        return "WAON";
    case 800:
        return J("ポイントサービス");
    case 900:
        return "Edy";
    case 1000:
        return "PiTaPa";
    case 1100:
        return J("プリカギフト");
    case 1200:
        return "QR";
    case 10000:
        return J("端末共通機能");
    default:
        return "";
    }
}

bool PaygateTexts::MergesTax(std::int64_t kind) {
    switch (kind) {
    case 2:
    case 3:
    case 200:
    case 400:
    case 600:
    case 700:
    case 800:
    case 900:
    case 1000:
    case 1100:
    case 1200:
        return true;
    default:
        return false;
    }
}

std::string PaygateTexts::DisplayAmount(std::int64_t value) {
    // Work on the unsigned magnitude so the most negative value has one too.
    std::uint64_t magnitude =
        value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : value;
    std::string digits = std::to_string(magnitude);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return value < 0 ? "-" + out : out;
}

std::string PaygateTexts::CsvLine(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += ',';
        std::string cell = cells[i];
        for (char& c : cell)
            if (c == '"')
                c = '\'';
        line += '"' + cell + '"';
    }
    return line + "\r\n";
}

std::string PaygateTexts::ResultCell(int code, bool testMode) {
    if (code == 0)
        return testMode ? J("OK(テスト)") : "OK";
    return "NG(" + std::to_string(code) + ")";
}

std::string PaygateTexts::ResultTip(const std::string& cell) {
    if (cell == ResultCell(0, true))
        return J("テストモードのため端末に送信せず、成功として応答しました。");
    // Interrupted sales and uncollected answers carry the code after their own words.
    const std::size_t at = cell.find("NG(");
    if (at == std::string::npos)
        return {};
    const char* p = cell.c_str() + at + 3;
    char* end = nullptr;
    const long code = std::strtol(p, &end, 10);
    if (end == p || *end != ')')
        return {};
    if (code == 3040)
        return J("「決済処理停止」または POS からのキャンセルで中止しました。");
    if (code > 2000 && code < 4000) {
        const std::string text = StatusMessage(114, static_cast<int>(code - 2000));
        return text.rfind(J("不明なエラー"), 0) == 0 ? std::string() : text;
    }
    if (code >= 101 && code <= 113) {
        const std::string text = StatusMessage(static_cast<int>(code), 0);
        return text.rfind(J("不明なエラー"), 0) == 0 ? std::string() : text;
    }
    return {};
}
