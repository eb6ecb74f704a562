// The modem families the simulator can pretend to be: which commands each one
// knows, what it answers to the probes of modem detection and diagnostics, and
// the small differences in voice mode (connect word, stop sequences, GSM
// framing). Pure data; the command interpreter reads it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

// One voice format a modem offers: the number the modem uses for it in its
// format command and the program's compression id it corresponds to.
struct FormatChoice {
    int modemValue;
    int compressionId;
};

struct Personality {
    const char* name;         // "v253", "usr", ...
    const char* description;  // for --list
    bool plusV;               // knows +FCLASS and the +V voice commands
    bool hash;                // knows the "#" voice commands (#CLS, #VRX, ...)
    bool hashCls;             // accepts #CLS (the Cirrus chip does not, it uses #VCL)
    bool vcl;                 // accepts #VCL=1
    const char* vsmTest;      // answer to +VSM=? (lines joined with "\r\n")
    const char* vciAnswer;    // answer to #VCI? (nullptr: ERROR)
    const char* voiceConnect; // word after answering or dialling in voice mode
    const char* voiceEnd;     // word after DLE ETX ends a voice transmit or receive
    bool gsmFraming;          // wraps GSM frames in FE FE ... 00 A5 A5
    bool anyByteStopsReceive; // older chips end a recording at any byte from the host
    int defaultCompressionId;
    int defaultSampleRate;
    std::vector<FormatChoice> vsmFormats; // +VSM=<value> or #VSM=<value>
    const char* ati[10];                  // answers to ATI0..ATI9 (nullptr: ERROR)
    const char* gmi;                      // +GMI, +GMM, +GMR answers
    const char* gmm;
    const char* gmr;
    bool sms; // a mobile-network modem: knows the text-message commands (+CMGF, +CMGS)
};

// nullptr for an unknown name.
const Personality* FindPersonality(std::string_view name);
std::vector<std::string> PersonalityNames();

} // namespace modemsim
