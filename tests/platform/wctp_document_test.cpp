#include "platform/gateway/wctp_document.h"

#include <gtest/gtest.h>

namespace tolvane::platform {
namespace {

using Kind = engine::WctpAnswer::Kind;

TEST(WctpDocument, ASubmitRequestFollowsTheDtdsOrderAndEscapesEveryText)
{
    engine::WctpRequest request { "front\"desk", "", "tolvane-0123456789abcdef", "5550142", "a <&> caf\xC3\xA9" };
    const std::string document = wctpSubmitDocument(request, "2026-12-07T01:02:03");
    EXPECT_NE(
        document.find("<!DOCTYPE wctp-Operation SYSTEM \"http://dtd.wctp.org/wctp-dtd-v1r3.dtd\">"), std::string::npos);
    const char* inOrder[] = { "<wctp-Operation wctpVersion=\"wctp-dtd-v1r3\">", "<wctp-SubmitRequest>",
        "<wctp-SubmitHeader submitTimestamp=\"2026-12-07T01:02:03\">",
        "<wctp-Originator senderID=\"front&quot;desk\"/>",
        "<wctp-MessageControl messageID=\"tolvane-0123456789abcdef\"/>", "<wctp-Recipient recipientID=\"5550142\"/>",
        "<wctp-Payload><wctp-Alphanumeric>a &lt;&amp;&gt; caf\xC3\xA9</wctp-Alphanumeric></wctp-Payload>" };
    std::size_t at = 0;
    for (const char* part : inOrder) {
        at = document.find(part, at);
        ASSERT_NE(at, std::string::npos) << part << "\n" << document;
    }
    EXPECT_EQ(document.find("securityCode"), std::string::npos) << "no security code, no attribute";
}

TEST(WctpDocument, AnswersAreFoundWhateverWrapsThemAndAnythingElseIsUnreadable)
{
    struct Row {
        const char* body;
        Kind kind;
        int code;
        const char* text;
    };
    const Row rows[] = {
        { R"(<?xml version="1.0"?><!DOCTYPE wctp-Operation SYSTEM "http://dtd.wctp.org/wctp-dtd-v1r3.dtd">
             <wctp-Operation wctpVersion="wctp-dtd-v1r3"><wctp-Confirmation>
             <wctp-Success successCode="200" successText="Accepted"/></wctp-Confirmation></wctp-Operation>)",
            Kind::Success, 200, "Accepted" },
        { R"(<w:wctp-Operation xmlns:w="urn:x" extra="1"><w:wctp-Confirmation><w:wctp-Failure errorCode="403">
             invalid recipientID</w:wctp-Failure></w:wctp-Confirmation></w:wctp-Operation>)",
            Kind::Failure, 403, "invalid recipientID" },
        { R"(<wctp-Operation><wctp-SubmitClientResponse><wctp-ClientSuccess trackingNumber="T9"/>
             </wctp-SubmitClientResponse></wctp-Operation>)",
            Kind::Success, 200, "trackingNumber T9" },
        // An external entity is never fetched.
        { R"(<!DOCTYPE x [<!ENTITY e SYSTEM "file:///etc/hostname">]><wctp-Operation><wctp-Failure errorCode="604"
             >busy &e;</wctp-Failure></wctp-Operation>)",
            Kind::Failure, 604, "busy" },
        { R"(<wctp-Operation><wctp-Success successText="no code"/></wctp-Operation>)", Kind::Unreadable, 0, "no code" },
        { "<html><body>Service unavailable</body></html>", Kind::Unreadable, 0, "" },
        { "<wctp-Operation><wctp-Success successCode=", Kind::Unreadable, 0, "" },
    };
    for (const Row& row : rows) {
        engine::WctpAnswer answer;
        readWctpAnswer(row.body, answer);
        EXPECT_EQ(answer.kind, row.kind) << row.body;
        EXPECT_EQ(answer.code, row.code) << row.body;
        EXPECT_EQ(answer.text, row.text) << row.body;
        EXPECT_FALSE(answer.shown.empty()) << row.body;
    }
}

} // namespace
} // namespace tolvane::platform
