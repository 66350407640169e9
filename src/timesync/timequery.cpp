#include "timesync/timequery.h"

TimeProtocol TimeProtocolOf(int stored)
{
    return stored == 1 || stored == 2 ? TimeProtocol{stored} : TimeProtocol::Time;
}

namespace {

// Marks a text for the program's translations (lupdate finds the marker) without needing Qt here.
#define QT_TRANSLATE_NOOP(context, text) text

struct Reason {
    QueryFailure failure;
    const char* text; // %1: the detail
};

constexpr Reason kReasons[] = {
    {QueryFailure::WrongSender, QT_TRANSLATE_NOOP("TcvMain", "reply refused: from another address or port")},
    {QueryFailure::Malformed, QT_TRANSLATE_NOOP("TcvMain", "reply refused: malformed or truncated")},
    {QueryFailure::NotAReply, QT_TRANSLATE_NOOP("TcvMain", "reply refused: not a server reply")},
    {QueryFailure::WrongOrigin,
     QT_TRANSLATE_NOOP("TcvMain", "reply refused: does not answer this request (forged or replayed)")},
    {QueryFailure::NotAuthenticated, QT_TRANSLATE_NOOP("TcvMain", "reply refused: not authenticated")},
    {QueryFailure::Unauthentic, QT_TRANSLATE_NOOP("TcvMain", "reply refused: authentication failed")},
    {QueryFailure::Unsynchronised, QT_TRANSLATE_NOOP("TcvMain", "server not synchronised")},
    {QueryFailure::KissOfDeath, QT_TRANSLATE_NOOP("TcvMain", "kiss-o'-death %1")},
    {QueryFailure::KeyExchange, QT_TRANSLATE_NOOP("TcvMain", "NTS key exchange failed: %1")},
    {QueryFailure::Certificate, QT_TRANSLATE_NOOP("TcvMain", "certificate not trusted: %1")},
    {QueryFailure::Unavailable, QT_TRANSLATE_NOOP("TcvMain", "NTS not available in this build")},
};

#undef QT_TRANSLATE_NOOP

} // namespace

const char* QueryFailureTemplate(QueryFailure failure)
{
    for (const Reason& reason : kReasons)
        if (reason.failure == failure)
            return reason.text;
    return "";
}

std::string QueryFailureText(QueryFailure failure, const std::string& detail)
{
    std::string text = QueryFailureTemplate(failure);
    if (const auto at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, detail);
    return text;
}
