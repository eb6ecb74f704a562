#include "modem/Diagnostics.h"

#include <cctype>

namespace {

constexpr const char* kProbes[] = {
    "&FE1",   "#CLS=8", "#CID=?",    "#VCI?",     "#VCL=1", "#VSM=?", "#VBS=?",
    "#VSR=?", "&F",     "+FCLASS=8", "+FCLASS=?", "+VSM=?", "+VLS=?", "+VCID=?",
};

constexpr uint32_t kProbeAnswerMs = 1500;

} // namespace

std::span<const char* const> DiagnosticProbes() {
    return kProbes;
}

std::string RunDiagnostics(CCommDriver& drv,
                           const std::function<bool(const std::string&)>& refresh) {
    auto alive = [&](const std::string& report) { return !refresh || refresh(report); };
    std::string report = "Diagnostics for " + drv.Profile().m_sModemName + "\r\n";
    if (!alive(report))
        return report;
    for (const char* probe : kProbes) {
        drv.CommOutNoResult(probe);
        report += "\r\nTransmitted: AT";
        report += probe;
        report += "\r\nReceived:\r\n";
        drv.ClearLineBuffer();
        drv.WaitResult(kProbeAnswerMs, 65535);
        report += drv.LineBuffer();
        drv.ClearLineBuffer();
        report += "\r\n";
        if (!alive(report))
            break;
    }
    return report;
}

std::string DiagnosticsMailto(const std::string& sReport, const std::string& sMailbox) {
    std::string body = "<html><pre>";
    for (char c : sReport) {
        if (c == '&')
            body += "%20";
        else if (c == '\r')
            body += "    ";
        else
            body += c;
    }
    body += "</pre></html>";
    return "mailto:" + sMailbox + "?subject=Modem Diagnostics&body=" + body;
}

namespace {

std::string PercentEncoded(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        }
    }
    return out;
}

} // namespace

std::string DiagnosticsMailtoUrl(const std::string& sReport, const std::string& sMailbox) {
    std::string body = "<html><pre>";
    for (char c : sReport) {
        if (c == '&')
            body += ' ';
        else if (c == '\r')
            body += "    ";
        else
            body += c;
    }
    body += "</pre></html>";
    return "mailto:" + sMailbox + "?subject=" + PercentEncoded("Modem Diagnostics") +
           "&body=" + PercentEncoded(body);
}
