#include "modem/Diagnostics.h"

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
    std::string report = "Diagnostics for " + drv.m_sModemName + "\r\n";
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
