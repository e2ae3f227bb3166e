// Whether the link to the unit was lost without the operator asking, and when it is back, read
// from the connection states the frame shows (WM_CONNECT_STATUS: 1 Connected, 2 Connecting,
// 3 Disconnected). A session that ends after the operator chose "Disconnect" is no loss; nor is
// a login that never got through. No Qt; UI thread.
#pragma once

enum class LinkChange { None, Lost, Back };

struct LinkFollow {
    bool connected = false;  // the last state shown was Connected
    bool lost = false;       // a loss was told and the link is not back yet
};

// The next state shown. `operatorAsked`: the operator chose "Disconnect" since the state before
// (the console then has its online flag cleared before the state arrives). It counts only for
// the state that ends a session.
LinkChange FollowConnectStatus(LinkFollow& follow, int connectStatus, bool operatorAsked);
