#include "app/core/link_change.h"

#include "platform/window_messages.h"

LinkChange FollowConnectStatus(LinkFollow& follow, int connectStatus, bool operatorAsked) {
    switch (connectStatus) {
        case platform::CONNECT_STATUS_CONNECTED: {
            const bool back = follow.lost;
            follow.connected = true;
            follow.lost = false;
            return back ? LinkChange::Back : LinkChange::None;
        }
        case platform::CONNECT_STATUS_CONNECTING:
        case platform::CONNECT_STATUS_DISCONNECTED: {
            // Only the end of a session counts; the states repeated while the line stays down
            // say nothing new.
            const bool ended = follow.connected;
            follow.connected = false;
            if (!ended || operatorAsked) {
                return LinkChange::None;
            }
            follow.lost = true;
            return LinkChange::Lost;
        }
        default:
            return LinkChange::None;
    }
}
