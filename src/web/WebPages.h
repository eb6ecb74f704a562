// The pages behind the login, rendered on the server: the line and its
// switches, each call folder's list (searched and paged here, newest
// first) with its memo, move, delete and block forms, the call history,
// and the call list's exports.
#pragma once

class CRouter;
class IWebHost;

void AddWebPages(CRouter& router, IWebHost& host);
