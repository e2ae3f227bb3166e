// The command ids of the console's menu and toolbar, with their Windows numbers.
#pragma once

constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_DIAL_SETUP = 32786;
constexpr int ID_CONNECT = 32787;
constexpr int ID_DISCONNECT = 32788;
constexpr int ID_PHONE_BOOK = 32793;
// Additions of this console.
constexpr int ID_AUTO_RECONNECT = 32800;
