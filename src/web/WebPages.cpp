#include "web/WebPages.h"

#include "calllog/CallList.h"
#include "calllog/CallLog.h"
#include "calllog/DataStructure.h"
#include "calllog/HtmlExport.h"
#include "calllog/XmlExport.h"
#include "platform/JsonText.h"
#include "platform/ProgramFolder.h"
#include "platform/Trash.h"
#include "web/EventStream.h"
#include "web/FolderRows.h"
#include "web/FormData.h"
#include "web/Html.h"
#include "web/Router.h"
#include "web/SafeName.h"
#include "web/WebHost.h"
#include "web/WebStreams.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <unistd.h>

namespace {

constexpr int kPageRows = 50;

// A number a form names (an undo's, a contact's): digits only.
std::optional<int64_t> IdOf(const std::string& text) {
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    int64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

// The calls the page moved to the trash, the newest few, for their undo.
class CDeletedCalls {
public:
    struct Deleted {
        std::string sFolderName;
        FinishedCall call;
    };
    std::string Add(Deleted deleted) {
        std::lock_guard lock(m_mutex);
        if (m_deleted.size() >= kKept)
            m_deleted.erase(m_deleted.begin());
        m_deleted.emplace(++m_nLast, std::move(deleted));
        return std::to_string(m_nLast);
    }
    std::optional<Deleted> Take(const std::string& id) {
        const std::optional<int64_t> n = IdOf(id);
        if (!n)
            return std::nullopt;
        std::lock_guard lock(m_mutex);
        auto it = m_deleted.find(static_cast<uint64_t>(*n));
        if (it == m_deleted.end())
            return std::nullopt;
        Deleted deleted = std::move(it->second);
        m_deleted.erase(it);
        return deleted;
    }

private:
    static constexpr size_t kKept = 32;
    std::mutex m_mutex;
    std::map<uint64_t, Deleted> m_deleted; // the oldest first
    uint64_t m_nLast = 0;
};

std::string Form(const std::string& sAction, const WebCall& call, const std::string& sInner,
                 const std::string& sHidden = "") {
    return "<form method=\"post\" action=\"" + HtmlEscape(sAction) +
           "\"><input type=\"hidden\" name=\"csrf\" value=\"" + HtmlEscape(call.sCsrf) + "\">" +
           sHidden + sInner + "</form>";
}

std::string Hidden(const std::string& sName, const std::string& sValue) {
    return "<input type=\"hidden\" name=\"" + HtmlEscape(sName) + "\" value=\"" +
           HtmlEscape(sValue) + "\">";
}

HttpResponse Page(const WebCall& call, const std::string& sTitle, const std::string& sBody) {
    std::string body = "<header><nav><a href=\"/\">Line</a> <a href=\"/calls\">Calls</a> "
                       "<a href=\"/history\">History</a> <a href=\"/contacts\">Contacts</a></nav>" +
                       Form("/logout", call, "<button>Log out</button>") + "</header><main>";
    body += "<h1>" + HtmlEscape(sTitle) + "</h1>";
    const std::string done = call.request.Query("done");
    const std::string undo = call.request.Query("undo");
    if (!done.empty())
        body += "<p class=\"done\">" + HtmlEscape(done) +
                (undo.empty() ? ""
                              : " " + Form("/calls/undo", call, "<button>Undo</button>",
                                           Hidden("id", undo))) +
                "</p>";
    body += sBody + "</main>";
    HttpResponse response;
    response.sBody = HtmlPage("Vorella: " + sTitle, body);
    return response;
}

// Back to the page the form came from, with what was done in words.
HttpResponse Back(const WebCall& call, const std::string& sPage, const std::string& sDone,
                  const std::string& sUndo = "") {
    std::string back = call.form.count("back") ? call.form.at("back") : sPage;
    // Only a page of this site: a path, never another host ("//host" and
    // "/\host" are hosts to a browser), and nothing a header cannot carry.
    const bool bPlain = std::all_of(back.begin(), back.end(), [](char c) {
        return c > ' ' && c < 127 && c != '\\';
    });
    if (!bPlain || !back.starts_with("/") || back.starts_with("//"))
        back = sPage;
    back = back.substr(0, back.find('#'));
    const char* joint = back.find('?') == std::string::npos ? "?" : "&";
    return HttpResponse::Redirect(back + joint + "done=" + UrlEncode(sDone) +
                                  (sUndo.empty() ? "" : "&undo=" + UrlEncode(sUndo)));
}

std::string Field(const WebCall& call, const std::string& sName) {
    auto it = call.form.find(sName);
    return it == call.form.end() ? std::string() : it->second;
}

int PageNumber(const HttpRequest& request) {
    const std::string text = request.Query("page");
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || n > 1000000)
            return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

// The call folders: the root ("") and the folders right below it.
std::vector<std::string> CallFolders(const std::string& sRoot) {
    std::vector<std::string> folders{""};
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(sRoot, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(".") && entry.is_directory(error))
            folders.push_back(name);
    }
    std::sort(folders.begin() + 1, folders.end());
    return folders;
}

// The folder a request names, only when it is one of the call folders.
bool FolderPath(IWebHost& host, const std::string& sName, std::string* pPath) {
    const std::string root = host.CallFolderRoot();
    const std::vector<std::string> folders = CallFolders(root);
    if (std::find(folders.begin(), folders.end(), sName) == folders.end())
        return false;
    *pPath = sName.empty() ? root : root + sName + "/";
    return true;
}

std::string FolderTitle(const std::string& sName) {
    return sName.empty() ? "Recorded Calls" : sName;
}

std::string LineCommandForm(const WebCall& call, const char* sCommand, const char* sLabel) {
    return Form("/line", call, "<button>" + std::string(sLabel) + "</button>",
                Hidden("do", sCommand));
}

HttpResponse LinePage(IWebHost& host, const WebCall& call) {
    const WebLineState state = host.LineState();
    std::string body = "<dl class=\"state\">";
    body += "<dt>Monitoring</dt><dd>" + std::string(state.bMonitoring ? "on" : "off") + "</dd>";
    if (!state.sDeviceProblem.empty())
        body += "<dt>Device</dt><dd class=\"error\">" + HtmlEscape(state.sDeviceProblem) + "</dd>";
    std::string line = state.bRinging ? "ringing" : state.bInCall ? "call" : "idle";
    if (state.bRecording)
        line += ", recording";
    body += "<dt>Line</dt><dd>" + line + "</dd>";
    if (!state.sCaller.empty())
        body += "<dt>Caller</dt><dd>" + HtmlEscape(state.sCaller) + "</dd>";
    body += "<dt>Screening</dt><dd>" + std::string(state.bScreeningOn ? "on" : "paused") +
            "</dd></dl><div class=\"buttons\">";
    body += state.bMonitoring ? LineCommandForm(call, "monitoring-off", "Stop monitoring")
                              : LineCommandForm(call, "monitoring-on", "Start monitoring");
    body += state.bScreeningOn ? LineCommandForm(call, "screening-off", "Pause screening")
                               : LineCommandForm(call, "screening-on", "Screen calls");
    body += LineCommandForm(call, "record", "Record");
    body += LineCommandForm(call, "stop", "Stop");
    body += LineCommandForm(call, "hangup", "Hang up");
    body += "</div>";
    return Page(call, "Line", body);
}

// The line as a page that opens its stream first learns it: a "state"
// frame, with the ringing caller, if any.
std::string LineStateFrame(const WebLineState& state) {
    constexpr size_t kMaxText = 256;
    return SseFrame("state", CJsonObject(kMaxText)
                                 .AddBool("monitoring", state.bMonitoring)
                                 .AddBool("ringing", state.bRinging)
                                 .AddBool("call", state.bInCall)
                                 .AddBool("recording", state.bRecording)
                                 .AddString("caller", state.sCaller)
                                 .Text());
}

HttpResponse LineAction(IWebHost& host, const WebCall& call) {
    static const std::pair<const char*, WebLineCommand> kCommands[] = {
        {"monitoring-on", WebLineCommand::MonitoringOn},
        {"monitoring-off", WebLineCommand::MonitoringOff},
        {"record", WebLineCommand::Record},
        {"stop", WebLineCommand::Stop},
        {"hangup", WebLineCommand::HangUp},
        {"screening-on", WebLineCommand::ScreeningOn},
        {"screening-off", WebLineCommand::ScreeningOff},
    };
    const std::string wanted = Field(call, "do");
    for (const auto& [name, command] : kCommands)
        if (wanted == name)
            return Back(call, "/", host.LineCommand(command));
    return HttpResponse::Text(400, "No such command.");
}

std::string Pager(const std::string& sBase, int nPage, bool bMore) {
    std::string pager = "<p class=\"pager\">";
    if (nPage > 0)
        pager += "<a href=\"" + HtmlEscape(sBase + "page=" + std::to_string(nPage - 1)) +
                 "\">Newer</a> ";
    if (bMore)
        pager += "<a href=\"" + HtmlEscape(sBase + "page=" + std::to_string(nPage + 1)) +
                 "\">Older</a>";
    return pager + "</p>";
}

std::string BlockForm(const WebCall& call, const std::string& sNumber, const std::string& sBack) {
    if (sNumber.empty())
        return {};
    return Form("/block", call, "<button>Block caller</button>",
                Hidden("number", sNumber) + Hidden("back", sBack));
}

HttpResponse CallsPage(IWebHost& host, CFolderRowsCache& lists, const WebCall& call) {
    const std::string folderName = call.request.Query("folder");
    std::string folder;
    if (!FolderPath(host, folderName, &folder))
        return HttpResponse::Text(404, "No such call folder.");
    const std::string search = call.request.Query("q");
    const int nPage = PageNumber(call.request);
    const FolderRows found = lists.Read(folder, search);
    const std::vector<std::string> folders = CallFolders(host.CallFolderRoot());
    // By their file names, as the history finds a message moved since.
    std::set<std::string> unheard;
    for (const std::string& path : host.UnheardRecordings())
        unheard.insert(std::filesystem::path(path).filename().string());

    std::string body = "<nav class=\"folders\">";
    for (const std::string& name : folders)
        body += "<a href=\"/calls?folder=" + HtmlEscape(UrlEncode(name)) + "\"" +
                (name == folderName ? " class=\"current\"" : "") + ">" +
                HtmlEscape(FolderTitle(name)) + "</a> ";
    body += "</nav><form method=\"get\" action=\"/calls\" class=\"search\">" +
            Hidden("folder", folderName) + "<input type=\"search\" name=\"q\" value=\"" +
            HtmlEscape(search) + "\" placeholder=\"Search\"> <button>Search</button></form>";
    const std::string exportQuery = "?folder=" + UrlEncode(folderName) + "&q=" + UrlEncode(search);
    body += "<p class=\"exports\"><a href=\"" + HtmlEscape("/export.xml" + exportQuery) +
            "\">Call list (XML)</a> <a href=\"" + HtmlEscape("/export.html" + exportQuery) +
            "\">Call list (page)</a></p>";
    if (!found.sError.empty())
        body += "<p class=\"error\">" + HtmlEscape(found.sError) + "</p>";

    const std::string base = "/calls" + exportQuery + "&";
    const std::string back = base + "page=" + std::to_string(nPage);
    std::string moveOptions;
    for (const std::string& name : folders)
        if (name != folderName)
            moveOptions += "<option value=\"" + HtmlEscape(name) + "\">" +
                           HtmlEscape(FolderTitle(name)) + "</option>";

    body += "<table class=\"calls\"><thead><tr><th>Time</th><th>From</th><th>Number</th>"
            "<th>Length</th><th>Memo</th><th></th></tr></thead><tbody>";
    const size_t first = static_cast<size_t>(nPage) * kPageRows;
    const size_t end = std::min(found.Size(), first + kPageRows);
    for (size_t i = first; i < end; ++i) {
        const CallListRow& row = found.Row(i);
        const std::string which = Hidden("folder", folderName) + Hidden("file", row.sFile) +
                                  Hidden("back", back);
        const bool bUnheard = unheard.count(row.sFile) > 0;
        body += std::string(bUnheard ? "<tr class=\"message unheard\">"
                            : row.bMessage ? "<tr class=\"message\">"
                                           : "<tr>") +
                "<td>" +
                HtmlEscape(row.sDateTime) + "</td><td>" + HtmlEscape(row.sName) + "</td><td>" +
                HtmlEscape(row.sNumber) + "</td><td>" + HtmlEscape(row.sLength) +
                "<audio controls preload=\"none\" src=\"" +
                HtmlEscape("/audio?folder=" + UrlEncode(folderName) + "&file=" + UrlEncode(row.sFile)) +
                "\"></audio>" +
                (bUnheard ? Form("/calls/heard", call, "", which) : "") +
                "</td><td>" +
                Form("/calls/memo", call,
                     "<input name=\"memo\" value=\"" + HtmlEscape(row.sMemo) +
                         "\"> <button>Save</button>",
                     which) +
                "</td><td class=\"actions\">";
        if (!moveOptions.empty())
            body += Form("/calls/move", call,
                         "<select name=\"to\">" + moveOptions + "</select> <button>Move</button>",
                         which);
        body += Form("/calls/delete", call, "<button>Delete</button>", which);
        body += BlockForm(call, row.sNumber, back);
        body += "</td></tr>";
    }
    body += "</tbody></table>";
    body += Pager(base, nPage, end < found.Size());
    return Page(call, FolderTitle(folderName), body);
}

// The folder and the record a form names: both must exist.
struct NamedCall {
    std::string sFolder;
    CDataStructure record;
};

std::optional<NamedCall> CallOfForm(IWebHost& host, const WebCall& call, std::string* pError) {
    NamedCall named;
    if (!FolderPath(host, Field(call, "folder"), &named.sFolder)) {
        *pError = "No such call folder.";
        return std::nullopt;
    }
    CDataStructureArray index;
    index.Load(named.sFolder + "index.dat");
    const std::string file = Field(call, "file");
    if (file.empty() || index.Find(file) < 0) {
        *pError = index.LoadFailed() ? index.LastError() : "No such call.";
        return std::nullopt;
    }
    named.record = index.Get(file);
    return named;
}

// A recording of a call folder, as the browser plays it: only one the
// folder's index lists, and only inside the folder.
HttpResponse AudioFile(IWebHost& host, CFolderRowsCache& lists, const WebCall& call) {
    std::string folder;
    if (!FolderPath(host, call.request.Query("folder"), &folder))
        return HttpResponse::Text(404, "No such call folder.");
    const std::string file = call.request.Query("file");
    std::string error = "No such call.";
    const std::optional<std::filesystem::path> path =
        file.empty() || !lists.Lists(folder, file) ? std::nullopt
                                                   : SafePathIn(folder, UrlEncode(file), &error);
    if (!path)
        return HttpResponse::Text(404, error);
    return RecordingResponse(path->string(), call.request.Header("range"));
}

HttpResponse MemoAction(IWebHost& host, const WebCall& call) {
    std::string error;
    const std::optional<NamedCall> named = CallOfForm(host, call, &error);
    if (!named)
        return HttpResponse::Text(404, error);
    FinishedCall edit;
    edit.sRecordingPath = named->sFolder + named->record.m_sFile;
    edit.sName = named->record.m_sName;
    edit.sNumber = named->record.m_sNumber;
    edit.sMemo = Field(call, "memo");
    if (!host.CallLog().StoreCallerFields(edit, &error))
        return Back(call, "/calls", "The memo was not saved: " + error);
    return Back(call, "/calls", "Memo saved.");
}

// The page's player started a message: it is heard now (204, nothing to
// show; the page takes the row out of bold).
HttpResponse HeardAction(IWebHost& host, const WebCall& call) {
    std::string error;
    const std::optional<NamedCall> named = CallOfForm(host, call, &error);
    if (!named)
        return HttpResponse::Text(404, error);
    error = host.MarkHeard(named->sFolder + named->record.m_sFile);
    if (!error.empty())
        return HttpResponse::Text(500, "The message was not marked heard: " + error);
    HttpResponse response;
    response.nStatus = 204;
    return response;
}

HttpResponse MoveAction(IWebHost& host, const WebCall& call) {
    std::string error;
    const std::optional<NamedCall> named = CallOfForm(host, call, &error);
    std::string to;
    if (!named || !FolderPath(host, Field(call, "to"), &to))
        return HttpResponse::Text(404, named ? "No such call folder." : error);
    if (!host.CallLog().MoveRecordings(named->sFolder, named->sFolder + "index.dat", to,
                                       to + "index.dat", {named->record.m_sFile}, &error))
        return Back(call, "/calls", "The call was not moved: " + error);
    return Back(call, "/calls", "Moved to " + FolderTitle(Field(call, "to")) + ".");
}

HttpResponse DeleteAction(IWebHost& host, CDeletedCalls& deleted, const WebCall& call) {
    std::string error;
    const std::optional<NamedCall> named = CallOfForm(host, call, &error);
    if (!named)
        return HttpResponse::Text(404, error);
    if (!host.CallLog().DeleteRecordings(named->sFolder, named->sFolder + "index.dat",
                                         {named->record.m_sFile}, &error))
        return Back(call, "/calls", "The call was not deleted: " + error);
    const CDataStructure& record = named->record;
    FinishedCall again{named->sFolder + record.m_sFile, record.m_sNumber, record.m_sName,
                       record.m_sMemo, record.m_nLength, record.m_bMessage != 0};
    return Back(call, "/calls", "Moved to the trash: " + record.m_sFile,
                deleted.Add({Field(call, "folder"), std::move(again)}));
}

// The file back from the trash and its record back in the index; the
// recording's time comes back with the file.
HttpResponse UndoAction(IWebHost& host, CDeletedCalls& deleted, const WebCall& call) {
    const std::optional<CDeletedCalls::Deleted> undone = deleted.Take(Field(call, "id"));
    std::string folder;
    if (!undone || !FolderPath(host, undone->sFolderName, &folder))
        return Back(call, "/calls", "There is nothing to undo.");
    std::string error;
    if (!RestoreFromTrash(undone->call.sRecordingPath, &error) ||
        !host.CallLog().StoreFinishedCall(undone->call, &error))
        return Back(call, "/calls", "The call was not brought back: " + error);
    return Back(call, "/calls", "Brought back from the trash.");
}

HttpResponse BlockAction(IWebHost& host, const WebCall& call) {
    const std::string number = Field(call, "number");
    if (number.empty())
        return HttpResponse::Text(400, "No number to block.");
    return Back(call, "/history", host.BlockCaller(number));
}

HttpResponse HistoryPage(IWebHost& host, const WebCall& call) {
    static const std::pair<const char*, HistoryFilter> kFilters[] = {
        {"all", HistoryFilter::All},
        {"missed", HistoryFilter::Missed},
        {"blocked", HistoryFilter::Blocked},
        {"unheard", HistoryFilter::UnheardMessages},
    };
    std::string filterName = call.request.Query("filter");
    HistoryFilter filter = HistoryFilter::All;
    std::string body = "<nav class=\"filters\">";
    for (const auto& [name, value] : kFilters) {
        if (filterName == name)
            filter = value;
        body += "<a href=\"/history?filter=" + std::string(name) + "\">" + name + "</a> ";
    }
    body += "</nav>";
    const int nPage = PageNumber(call.request);
    std::vector<WebHistoryRow> rows = host.History(filter, nPage * kPageRows, kPageRows + 1);
    const bool bMore = rows.size() > static_cast<size_t>(kPageRows);
    if (bMore)
        rows.pop_back();
    const std::string base = "/history?filter=" + UrlEncode(filterName) + "&";
    const std::string back = base + "page=" + std::to_string(nPage);
    body += "<table class=\"history\"><thead><tr><th>Time</th><th>Caller</th><th>Number</th>"
            "<th>Outcome</th><th></th></tr></thead><tbody>";
    for (const WebHistoryRow& row : rows) {
        body += std::string(row.bUnheard ? "<tr class=\"unheard\">" : "<tr>") + "<td>" +
                HtmlEscape(row.sTime) + "</td><td>" + HtmlEscape(row.sCaller) + "</td><td>" +
                HtmlEscape(row.sNumber) + "</td><td>" + HtmlEscape(row.sOutcome) +
                "</td><td class=\"actions\">" + BlockForm(call, row.sNumber, back) + "</td></tr>";
    }
    body += "</tbody></table>" + Pager(base, nPage, bMore);
    return Page(call, "History", body);
}

std::optional<ContactList> ListOfWord(const std::string& sWord) {
    for (ContactList list : {ContactList::None, ContactList::Permit, ContactList::Block})
        if (sWord == ListWord(list))
            return list;
    return std::nullopt;
}

std::string ListSelect(ContactList current, bool bWithNone) {
    std::string select = "<select name=\"list\">";
    for (ContactList list : {ContactList::None, ContactList::Permit, ContactList::Block})
        if (bWithNone || list != ContactList::None)
            select += "<option" + std::string(list == current ? " selected" : "") + ">" +
                      ListWord(list) + "</option>";
    return select + "</select>";
}

// A contact's fields as its form edits them: the numbers one text, split
// at the commas.
std::string ContactFields(const Contact& contact) {
    std::string numbers;
    for (const ContactNumber& number : contact.numbers)
        numbers += (numbers.empty() ? "" : ", ") + number.sNumber;
    return "<input name=\"name\" placeholder=\"Name\" value=\"" + HtmlEscape(contact.sName) +
           "\"> <input name=\"numbers\" placeholder=\"Numbers\" value=\"" + HtmlEscape(numbers) +
           "\"> " + ListSelect(contact.list, true) +
           " <input name=\"memo\" placeholder=\"Memo\" value=\"" + HtmlEscape(contact.sMemo) + "\">";
}

HttpResponse ContactsPage(IWebHost& host, const WebCall& call) {
    const std::string search = call.request.Query("q");
    const WebContacts found = host.Contacts(search);
    const std::string back = "/contacts?q=" + UrlEncode(search);
    std::string body = "<form method=\"get\" action=\"/contacts\" class=\"search\">"
                       "<input type=\"search\" name=\"q\" value=\"" +
                       HtmlEscape(search) + "\" placeholder=\"Search\"> <button>Search</button></form>";
    if (!found.sError.empty())
        body += "<p class=\"error\">" + HtmlEscape(found.sError) + "</p>";
    body += "<ul class=\"contacts\"><li>" +
            Form("/contacts/save", call, ContactFields({}) + " <button>Add</button>",
                 Hidden("back", back)) +
            "</li>";
    for (const Contact& contact : found.contacts) {
        const std::string id = Hidden("id", std::to_string(contact.nId)) + Hidden("back", back);
        body += "<li class=\"" + std::string(ListWord(contact.list)) + "\">" +
                Form("/contacts/save", call, ContactFields(contact) + " <button>Save</button>", id) +
                " " + Form("/contacts/delete", call, "<button>Delete</button>", id) + "</li>";
    }
    body += "</ul><h2>Number ranges</h2><table class=\"rules\"><tbody>";
    for (const PrefixRule& rule : found.rules)
        body += "<tr><td>" + HtmlEscape(rule.sPrefix) + "</td><td>" + ListWord(rule.list) +
                "</td><td>" +
                Form("/contacts/range", call, "<button>Remove</button>",
                     Hidden("prefix", rule.sPrefix) + Hidden("list", "none")) +
                "</td></tr>";
    body += "</tbody></table>" +
            Form("/contacts/range", call,
                 "<input name=\"prefix\" placeholder=\"0900\"> " +
                     ListSelect(ContactList::Block, false) + " <button>Add range</button>");
    return Page(call, "Contacts", body);
}

HttpResponse SaveContactAction(IWebHost& host, const WebCall& call) {
    Contact contact;
    const std::string id = Field(call, "id");
    const std::optional<ContactList> list = ListOfWord(Field(call, "list"));
    if ((!id.empty() && !IdOf(id)) || !list)
        return HttpResponse::Text(400, "No such contact or list.");
    contact.nId = id.empty() ? 0 : *IdOf(id);
    contact.sName = Field(call, "name");
    contact.sMemo = Field(call, "memo");
    contact.list = *list;
    std::istringstream numbers(Field(call, "numbers"));
    for (std::string number; std::getline(numbers, number, ',');)
        contact.numbers.push_back({number, ""});
    return Back(call, "/contacts", host.SaveContact(contact));
}

HttpResponse DeleteContactAction(IWebHost& host, const WebCall& call) {
    const std::optional<int64_t> id = IdOf(Field(call, "id"));
    if (!id)
        return HttpResponse::Text(400, "No such contact.");
    return Back(call, "/contacts", host.DeleteContact(*id));
}

HttpResponse RangeAction(IWebHost& host, const WebCall& call) {
    const std::optional<ContactList> list = ListOfWord(Field(call, "list"));
    if (!list)
        return HttpResponse::Text(400, "No such list.");
    return Back(call, "/contacts", host.SetPrefixRule(Field(call, "prefix"), *list));
}

std::tm Today() {
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    return today;
}

HttpResponse Download(std::string sBody, const std::string& sType, const std::string& sName) {
    HttpResponse response;
    response.sContentType = sType;
    response.sBody = std::move(sBody);
    response.headers.emplace_back("Content-Disposition", "attachment; filename=\"" + sName + "\"");
    return response;
}

// The rows of the folder and search a request names, or the answer to give
// when there are none.
std::optional<HttpResponse> RequestedRows(IWebHost& host, CFolderRowsCache& lists,
                                          const WebCall& call, FolderRows* found) {
    std::string folder;
    if (!FolderPath(host, call.request.Query("folder"), &folder))
        return HttpResponse::Text(404, "No such call folder.");
    *found = lists.Read(folder, call.request.Query("q"));
    if (!found->sError.empty())
        return HttpResponse::Text(500, found->sError);
    return std::nullopt;
}

HttpResponse ExportXml(IWebHost& host, CFolderRowsCache& lists, const WebCall& call) {
    FolderRows found;
    if (std::optional<HttpResponse> refused = RequestedRows(host, lists, call, &found))
        return std::move(*refused);
    return Download(BuildCallListXml(found.Copy(), Today()), "application/xml; charset=utf-8",
                    "Call List.xml");
}

// The page the call list's stylesheet makes of its XML, made in a private
// scratch folder and read back.
HttpResponse ExportHtml(IWebHost& host, CFolderRowsCache& lists, const WebCall& call) {
    FolderRows found;
    if (std::optional<HttpResponse> refused = RequestedRows(host, lists, call, &found))
        return std::move(*refused);
    std::string scratch = (std::filesystem::temp_directory_path() / "vorella-web-XXXXXX").string();
    if (!mkdtemp(scratch.data()))
        return HttpResponse::Text(500, "No scratch folder for the page.");
    const std::string xml = scratch + "/calls.xml";
    const std::string html = scratch + "/calls.html";
    std::string error;
    std::string page;
    if (ExportCallListXml(found.Copy(), xml, &error) &&
        ExportCallsHtml(xml, GetProgramFolder() + "styles/inbox.xsl", html, &error)) {
        std::ifstream in(html, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        page = text.str();
    }
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    if (page.empty())
        return HttpResponse::Text(500, "The page could not be made: " + error);
    return Download(page, "text/html; charset=utf-8", "Call List.html");
}

} // namespace

void AddWebPages(CRouter& router, IWebHost& host) {
    IWebHost* h = &host;
    auto lists = std::make_shared<CFolderRowsCache>();
    router.Add("GET", "/", RouteAccess::Page, [h](const WebCall& c) { return LinePage(*h, c); });
    router.Add("POST", "/line", RouteAccess::Action,
               [h](const WebCall& c) { return LineAction(*h, c); });
    router.Add("GET", "/calls", RouteAccess::Page,
               [h, lists](const WebCall& c) { return CallsPage(*h, *lists, c); });
    router.Add("GET", "/audio", RouteAccess::Page,
               [h, lists](const WebCall& c) { return AudioFile(*h, *lists, c); });
    auto live = std::make_shared<CLiveUpdates>(host.CallEvents());
    router.Add("GET", "/events", RouteAccess::Page, [h, live](const WebCall&) {
        return live->Open([h] { return LineStateFrame(h->LineState()); });
    });
    router.Add("POST", "/calls/memo", RouteAccess::Action,
               [h](const WebCall& c) { return MemoAction(*h, c); });
    router.Add("POST", "/calls/heard", RouteAccess::Action,
               [h](const WebCall& c) { return HeardAction(*h, c); });
    router.Add("POST", "/calls/move", RouteAccess::Action,
               [h](const WebCall& c) { return MoveAction(*h, c); });
    auto deleted = std::make_shared<CDeletedCalls>();
    router.Add("POST", "/calls/delete", RouteAccess::Action,
               [h, deleted](const WebCall& c) { return DeleteAction(*h, *deleted, c); });
    router.Add("POST", "/calls/undo", RouteAccess::Action,
               [h, deleted](const WebCall& c) { return UndoAction(*h, *deleted, c); });
    router.Add("POST", "/block", RouteAccess::Action,
               [h](const WebCall& c) { return BlockAction(*h, c); });
    router.Add("GET", "/history", RouteAccess::Page,
               [h](const WebCall& c) { return HistoryPage(*h, c); });
    router.Add("GET", "/contacts", RouteAccess::Page,
               [h](const WebCall& c) { return ContactsPage(*h, c); });
    router.Add("POST", "/contacts/save", RouteAccess::Action,
               [h](const WebCall& c) { return SaveContactAction(*h, c); });
    router.Add("POST", "/contacts/delete", RouteAccess::Action,
               [h](const WebCall& c) { return DeleteContactAction(*h, c); });
    router.Add("POST", "/contacts/range", RouteAccess::Action,
               [h](const WebCall& c) { return RangeAction(*h, c); });
    router.Add("GET", "/export.xml", RouteAccess::Page,
               [h, lists](const WebCall& c) { return ExportXml(*h, *lists, c); });
    router.Add("GET", "/export.html", RouteAccess::Page,
               [h, lists](const WebCall& c) { return ExportHtml(*h, *lists, c); });
}
