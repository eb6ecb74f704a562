// The pages behind the login, rendered on the server: the line and its
// switches, each call folder's list (searched and paged here, newest
// first) with its memo, move, delete and block forms and a player for each
// recording, the call history, the call list's exports, and the live
// updates of the open pages.
#pragma once

class CRouter;
class IWebHost;

void AddWebPages(CRouter& router, IWebHost& host);
