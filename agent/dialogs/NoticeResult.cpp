#include "agent/dialogs/NoticeResult.h"

#include "platform/Cp932.h"

std::string NoticeResult::ProblemLine() const {
    if (ok)
        return {};
    std::string line = platform::J(noConnection ? "Webデータベースに接続できません："
                                                : "Webデータベースから読み込めませんでした：");
    return line + error.substr(0, error.find_first_of("\r\n"));
}
