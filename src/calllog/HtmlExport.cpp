#include "calllog/HtmlExport.h"

#include "platform/FileUtil.h"

#include <libxml/parser.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

// What libxml2 and libxslt report while one export runs; their messages go
// into the error the user sees instead of standard error.
class CErrorCollector {
public:
    CErrorCollector() {
        xmlSetGenericErrorFunc(this, &CErrorCollector::Collect);
        xsltSetGenericErrorFunc(this, &CErrorCollector::Collect);
    }
    ~CErrorCollector() {
        xmlSetGenericErrorFunc(nullptr, nullptr);
        xsltSetGenericErrorFunc(nullptr, nullptr);
    }
    CErrorCollector(const CErrorCollector&) = delete;
    CErrorCollector& operator=(const CErrorCollector&) = delete;

    static void Collect(void* ctx, const char* format, ...) {
        auto* self = static_cast<CErrorCollector*>(ctx);
        if (self->m_sText.size() > kMaxText)
            return; // a flood of messages adds nothing to the first ones
        char buf[1024];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buf, sizeof buf, format, args);
        va_end(args);
        self->m_sText += buf;
    }
    // The messages on one line, or `fallback` when there were none.
    std::string Text(const std::string& fallback) const {
        std::string text;
        for (char c : m_sText)
            text += (c == '\n') ? ' ' : c;
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        return text.empty() ? fallback : text;
    }

private:
    static constexpr size_t kMaxText = 2000;
    std::string m_sText;
};

struct DocFree {
    void operator()(xmlDoc* p) const { xmlFreeDoc(p); }
};
struct StyleFree {
    void operator()(xsltStylesheet* p) const { xsltFreeStylesheet(p); }
};
struct ContextFree {
    void operator()(xsltTransformContext* p) const { xsltFreeTransformContext(p); }
};
struct PrefsFree {
    void operator()(xsltSecurityPrefs* p) const { xsltFreeSecurityPrefs(p); }
};
using Doc = std::unique_ptr<xmlDoc, DocFree>;

// Files only: a document or stylesheet must not pull anything from the
// network.
constexpr int kParseOptions = XML_PARSE_NONET;

bool Fail(std::string* pError, const std::string& why) {
    if (pError)
        *pError = why;
    return false;
}

} // namespace

bool ExportCallsHtml(const std::string& sXmlFile, const std::string& sXslFile,
                     const std::string& sHtmlFile, std::string* pError) {
    // A page the user made read-only stays as it is (the atomic replace
    // below would not ask).
    if (FileExists(sHtmlFile) && ::access(sHtmlFile.c_str(), W_OK) != 0)
        return Fail(pError, sHtmlFile + ": " + std::strerror(errno));

    CErrorCollector errors;
    Doc styleDoc(xmlReadFile(sXslFile.c_str(), nullptr, kParseOptions));
    if (!styleDoc)
        return Fail(pError, sXslFile + ": " + errors.Text("cannot read the stylesheet"));
    std::unique_ptr<xsltStylesheet, StyleFree> style(xsltParseStylesheetDoc(styleDoc.get()));
    if (!style)
        return Fail(pError, sXslFile + ": " + errors.Text("not a usable stylesheet"));
    (void)styleDoc.release(); // the stylesheet owns it now

    Doc doc(xmlReadFile(sXmlFile.c_str(), nullptr, kParseOptions));
    if (!doc)
        return Fail(pError, sXmlFile + ": " + errors.Text("cannot read the call list"));

    std::unique_ptr<xsltTransformContext, ContextFree> ctxt(
        xsltNewTransformContext(style.get(), doc.get()));
    std::unique_ptr<xsltSecurityPrefs, PrefsFree> prefs(xsltNewSecurityPrefs());
    if (!ctxt || !prefs)
        return Fail(pError, sHtmlFile + ": out of memory");
    for (xsltSecurityOption option : {XSLT_SECPREF_WRITE_FILE, XSLT_SECPREF_CREATE_DIRECTORY,
                                      XSLT_SECPREF_READ_NETWORK, XSLT_SECPREF_WRITE_NETWORK})
        xsltSetSecurityPrefs(prefs.get(), option, xsltSecurityForbid);
    xsltSetCtxtSecurityPrefs(prefs.get(), ctxt.get());

    Doc result(
        xsltApplyStylesheetUser(style.get(), doc.get(), nullptr, nullptr, nullptr, ctxt.get()));
    if (!result || ctxt->state != XSLT_STATE_OK)
        return Fail(pError, sXmlFile + ": " + errors.Text("the stylesheet failed"));

    xmlChar* text = nullptr;
    int length = 0;
    if (xsltSaveResultToString(&text, &length, result.get(), style.get()) != 0)
        return Fail(pError, sHtmlFile + ": " + errors.Text("cannot write the page"));
    std::string page(text ? reinterpret_cast<const char*>(text) : "",
                     static_cast<size_t>(length > 0 ? length : 0));
    xmlFree(text);

    if (!WriteFileAtomic(sHtmlFile, page))
        return Fail(pError, sHtmlFile + ": " + std::strerror(errno));
    return true;
}

std::string CallListHtmlPath(const std::string& sXmlFile) {
    const size_t slash = sXmlFile.rfind('/');
    const size_t dot = sXmlFile.rfind('.');
    const bool bHasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (bHasExtension ? sXmlFile.substr(0, dot) : sXmlFile) + ".html";
}
