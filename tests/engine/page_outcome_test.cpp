#include "engine/page_outcome.h"

#include <gtest/gtest.h>

using namespace tolvane::engine;
using enum OutcomeClass;

TEST(PageOutcomes, EveryReplyCodeHasItsClass)
{
    const std::vector<std::pair<std::vector<const char*>, std::optional<OutcomeClass>>> classes {
        { { "110", "114", "115", "299", "599", "21", "2110" }, std::nullopt },
        { { "211" }, Delivered },
        { { "212", "214" }, DeliveredTruncated },
        { { "213" }, DeliveredHeld },
        { { "111", "501", "502", "503", "512", "514", "516" }, RefusedForNow },
        { { "504", "505", "510", "511", "513", "515", "517" }, RefusedForGood },
        { { "507", "508", "509" }, SetUpWrong },
        { { "112", "113", "506" }, SessionEnded },
    };
    for (const auto& [codes, kind] : classes)
        for (const char* code : codes)
            EXPECT_EQ(replyCodeClass(code), kind) << code;
}

TEST(PageOutcomes, ABlockReplyIsSaidInWordsWithTheTerminalsOwnTextOrTheCodesMeaning)
{
    const struct {
        const char* received;
        BlockReply reply;
        const char* words;
    } rows[] = {
        { "", BlockReply::Ack, "Delivered" },
        { "\r\n211 Page(s) sent successfully\r", BlockReply::Ack, "Delivered: 211 Page(s) sent successfully" },
        { "110 1.8\r114 Welcome to Ravenpage\r2110 not a code\r", BlockReply::Ack, "Delivered" },
        { "212\r", BlockReply::Ack, "Delivered, truncated by the terminal: 212 Long message truncated and sent" },
        { "214 80 character maximum, message truncated and sent\r", BlockReply::Ack,
            "Delivered, truncated by the terminal: 214 80 character maximum, message truncated and sent" },
        { "213\r", BlockReply::Ack,
            "Delivered, held by the terminal for later delivery: 213 Message held for deferred delivery" },
        // Delivered only on ACK with no failure code; a session code beside an ACK takes nothing back.
        { "516 Quota\r", BlockReply::Ack, "Refused for now: 516 Quota" },
        { "112 Max pages\r", BlockReply::Ack, "Delivered" },
        { "211 OK\r", BlockReply::Nak, "Refused for now: checksum or transmission error" },
        // The code decides whichever character comes with it; a failure code over a notice.
        { "512 Try later\r", BlockReply::Rs, "Refused for now: 512 Try later" },
        { "512\r", BlockReply::Nak, "Refused for now: 512 Temporarily cannot deliver" },
        { "511   No subscriber  \r111 wait\r", BlockReply::EscEot, "Refused for good: 511 No subscriber" },
        { "517 Too long, 80 at most\r", BlockReply::Rs, "Refused for good: 517 Too long, 80 at most" },
        { "599\r", BlockReply::Rs, "Refused for good: invalid pager or transaction violates system rules" },
        { "", BlockReply::EscEot, "The terminal ended the session: the terminal hung up" },
        { "113\r", BlockReply::EscEot, "The terminal ended the session: 113 Maximum time reached for the session" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(blockOutcome(row.received, row.reply).words(), row.words) << row.received;
    EXPECT_TRUE(blockOutcome("213\r", BlockReply::Ack).delivered());
    EXPECT_FALSE(blockOutcome("516\r", BlockReply::Ack).delivered());
}

TEST(PageOutcomes, EveryCallFailureHasItsClassAndWords)
{
    const struct {
        CallFailure failure;
        OutcomeClass kind;
        const char* words;
    } rows[] = {
        { CallFailure::PortNotAvailable, CallFailed, "Call failed: the modem's port is not available" },
        { CallFailure::ModemNotReady, CallFailed, "Call failed: the modem did not get ready" },
        { CallFailure::NoDialTone, CallFailed, "Call failed: no dial tone" },
        { CallFailure::Busy, CallFailed, "Call failed: the line was busy after every redial" },
        { CallFailure::Unanswered, CallFailed, "Call failed: nobody answered at the paging company" },
        { CallFailure::NoCarrier, CallFailed, "Call failed: no carrier" },
        { CallFailure::CompanyMissing, CallFailed, "Call failed: the paging company is missing from the directory" },
        { CallFailure::NoIdPrompt, CallFailed, "Call failed: the terminal never asked for the log-on (no ID=)" },
        { CallFailure::LogOnRefused, CallFailed, "Call failed: the terminal refused the log-on" },
        { CallFailure::NoGoAhead, CallFailed, "Call failed: the terminal never gave leave to send" },
        { CallFailure::CarrierLost, CallFailed, "Call failed: the carrier was lost before the terminal answered" },
        { CallFailure::NoAnswer, RefusedForNow, "Refused for now: the terminal never answered the page" },
        { CallFailure::Cancelled, CallFailed, "Call failed: the call was cancelled" },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(callFailureOutcome(row.failure).kind, row.kind) << row.words;
        EXPECT_EQ(callFailureOutcome(row.failure).words(), row.words);
    }
}

TEST(PageOutcomes, ALogOnRefusedWithA507To509CodeSaysTheCompanysSetUpIsWrong)
{
    EXPECT_EQ(logOnOutcome("509 Invalid logon, invalid password\r\x1b\x04\r").words(),
        "Not sent, the paging company's set-up is wrong: 509 Invalid logon, invalid password");
    EXPECT_EQ(logOnOutcome("508\r\x15\r").words(),
        "Not sent, the paging company's set-up is wrong: 508 Invalid log-on: service type not supported");
    EXPECT_EQ(logOnOutcome("\x15\r").words(), "Call failed: the terminal refused the log-on");
}
