#include "agent/dialogs/ReviewOutcome.h"

#include "agent/core/CDBException.h"
#include "agent/core/WebSession.h"
#include "platform/Cp932.h"

using platform::J;

std::string ReviewOutcome::Line() const {
    switch (kind) {
    case Ok:
        return {};
    case NoConnection:
        return J("Webデータベースに接続できませんでした。");
    case WebQueryFailed:
        return J("Webデータベースの読み込みに失敗しました。");
    case LocalFailed:
        return J("予約データベースを読み込めませんでした。");
    }
    return {};
}

ReviewOutcome ReviewOutcome::Connect(WebSession& web) {
    try {
        if (web.OpenWebConnection())
            return {};
        return {NoConnection, web.Database().LastConnectError()};
    } catch (const CDBException& e) {
        return {NoConnection, e.m_strError};
    }
}
