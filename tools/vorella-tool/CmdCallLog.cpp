// Call log commands: list a call folder's index, export it as XML.
#include "Commands.h"

#include "calllog/CallList.h"
#include "calllog/DataStructure.h"
#include "calllog/XmlExport.h"
#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"
#include "platform/Strings.h"

#include <cstdio>

namespace {

constexpr int kStrExportFailed = 164;

bool LoadRows(const std::string& folder, std::vector<CallListRow>& rows) {
    if (!DirectoryExists(folder)) {
        std::fprintf(stderr, "vorella-tool: %s: no such folder\n", folder.c_str());
        return false;
    }
    CDataStructureArray index;
    index.Load(WithTrailingSlash(folder) + "index.dat");
    if (index.LoadFailed()) {
        std::fprintf(stderr, "vorella-tool: %s\n", index.LastError().c_str());
        return false;
    }
    std::string textError;
    rows = CallListRows(index, std::string(), &textError);
    if (!textError.empty())
        std::fprintf(stderr, "vorella-tool: %s: %s (setting sLegacyCodePage)\n", folder.c_str(),
                     textError.c_str());
    return true;
}

} // namespace

int CmdIndex(const Args& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: vorella-tool index FOLDER\n");
        return 2;
    }
    std::vector<CallListRow> rows;
    if (!LoadRows(args[0], rows))
        return 1;
    std::printf("# key\tdate and time\tname\tnumber\tlength\tmemo\n");
    for (const CallListRow& r : rows)
        std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", r.sKey.c_str(), Printable(r.sDateTime).c_str(),
                    Printable(r.sName).c_str(), Printable(r.sNumber).c_str(), r.sLength.c_str(),
                    Printable(r.sMemo).c_str());
    std::printf("# calls: %zu\n", rows.size());
    return 0;
}

int CmdExportXml(const Args& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: vorella-tool export-xml FOLDER OUT.xml\n");
        return 2;
    }
    std::vector<CallListRow> rows;
    if (!LoadRows(args[0], rows))
        return 1;
    std::string error;
    if (!ExportCallListXml(rows, args[1], &error)) {
        std::fprintf(stderr, "vorella-tool: %s %s\n", LoadStr(kStrExportFailed), error.c_str());
        return 1;
    }
    std::printf("calls written: %zu, to %s\n", rows.size(), args[1].c_str());
    return 0;
}
