#include "platform/gateway/wctp_document.h"

#include "store/codepage.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <charconv>
#include <memory>
#include <string_view>

namespace tolvane::platform {
namespace {

const xmlChar* x(const char* text)
{
    return reinterpret_cast<const xmlChar*>(text);
}

struct DocumentDeleter {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
using Document = std::unique_ptr<xmlDoc, DocumentDeleter>;

std::string attribute(xmlNode* node, const char* name)
{
    xmlChar* value = xmlGetProp(node, x(name));
    if (value == nullptr)
        return {};
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

std::string content(xmlNode* node)
{
    xmlChar* value = xmlNodeGetContent(node);
    if (value == nullptr)
        return {};
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

// The first element, depth first, whose local name is one of the answers.
xmlNode* findAnswer(xmlNode* node)
{
    for (; node != nullptr; node = node->next) {
        if (node->type != XML_ELEMENT_NODE)
            continue;
        const std::string_view name(reinterpret_cast<const char*>(node->name));
        if (name == "wctp-Success" || name == "wctp-ClientSuccess" || name == "wctp-Failure")
            return node;
        if (xmlNode* inner = findAnswer(node->children))
            return inner;
    }
    return nullptr;
}

// One line for the log: runs of white space and control characters become one blank, none at either end.
std::string collapsed(std::string_view text, std::size_t limit)
{
    std::string out;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) <= 0x20) {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else {
            out += c;
        }
    }
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    if (out.size() > limit)
        out = out.substr(0, limit) + "...";
    return out;
}

} // namespace

std::string wctpSubmitDocument(const engine::WctpRequest& request, const std::string& submitTimestamp)
{
    const Document document(xmlNewDoc(x("1.0")));
    xmlCreateIntSubset(document.get(), x("wctp-Operation"), nullptr, x("http://dtd.wctp.org/wctp-dtd-v1r3.dtd"));
    xmlNode* operation = xmlNewNode(nullptr, x("wctp-Operation"));
    xmlDocSetRootElement(document.get(), operation);
    xmlNewProp(operation, x("wctpVersion"), x("wctp-dtd-v1r3"));
    xmlNode* submit = xmlNewChild(operation, nullptr, x("wctp-SubmitRequest"), nullptr);
    xmlNode* header = xmlNewChild(submit, nullptr, x("wctp-SubmitHeader"), nullptr);
    xmlNewProp(header, x("submitTimestamp"), x(submitTimestamp.c_str()));
    xmlNode* originator = xmlNewChild(header, nullptr, x("wctp-Originator"), nullptr);
    xmlNewProp(originator, x("senderID"), x(request.senderId.c_str()));
    if (!request.securityCode.empty())
        xmlNewProp(originator, x("securityCode"), x(request.securityCode.c_str()));
    xmlNode* control = xmlNewChild(header, nullptr, x("wctp-MessageControl"), nullptr);
    xmlNewProp(control, x("messageID"), x(request.messageId.c_str()));
    xmlNode* recipient = xmlNewChild(header, nullptr, x("wctp-Recipient"), nullptr);
    xmlNewProp(recipient, x("recipientID"), x(request.recipientId.c_str()));
    xmlNode* payload = xmlNewChild(submit, nullptr, x("wctp-Payload"), nullptr);
    // xmlNewTextChild escapes the text; xmlNewProp escapes each attribute.
    xmlNewTextChild(payload, nullptr, x("wctp-Alphanumeric"), x(request.message.c_str()));

    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(document.get(), &text, &size, "UTF-8");
    std::string written(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
    xmlFree(text);
    return written;
}

void readWctpAnswer(std::string_view body, engine::WctpAnswer& answer)
{
    answer.kind = engine::WctpAnswer::Kind::Unreadable;
    const Document document(xmlReadMemory(body.data(), static_cast<int>(body.size()), "answer.xml", nullptr,
        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    xmlNode* found = document ? findAnswer(xmlDocGetRootElement(document.get())) : nullptr;
    if (found == nullptr) {
        answer.shown = store::utf8ToCp1252(collapsed(body, 80));
        return;
    }
    const std::string_view name(reinterpret_cast<const char*>(found->name));
    const bool failure = name == "wctp-Failure";
    std::string code = attribute(found, failure ? "errorCode" : "successCode");
    std::string text = attribute(found, failure ? "errorText" : "successText");
    if (name == "wctp-ClientSuccess") {
        code = "200";
        text = "trackingNumber " + attribute(found, "trackingNumber");
    }
    if (text.empty())
        text = content(found);
    std::string shown;
    for (xmlNode* node = found; node != nullptr && node->type == XML_ELEMENT_NODE; node = node->parent)
        shown = std::string(reinterpret_cast<const char*>(node->name)) + (shown.empty() ? "" : " > " + shown);
    for (const xmlAttr* property = found->properties; property != nullptr; property = property->next) {
        const std::string propertyName(reinterpret_cast<const char*>(property->name));
        shown += " " + propertyName + "=\"" + collapsed(attribute(found, propertyName.c_str()), 120) + "\"";
    }
    answer.shown = store::utf8ToCp1252(shown);
    answer.text = store::utf8ToCp1252(collapsed(text, 200));
    int number = 0;
    const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), number);
    if (code.empty() || error != std::errc() || end != code.data() + code.size())
        return; // an answer without a code it can be judged by
    answer.code = number;
    answer.kind = failure ? engine::WctpAnswer::Kind::Failure : engine::WctpAnswer::Kind::Success;
}

} // namespace tolvane::platform
