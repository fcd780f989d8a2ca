#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// A server that Vorn talks to: the program always uses port 80 of a host fixed at build time;
// tests hand in a server of their own on another port.
struct NetPeer
{
    std::string host;
    std::uint16_t port = 80;
};

// How long one exchange with a server may take: a server that sends nothing for half a minute is
// given up, and so is one that trickles a few bytes now and then for two minutes, long enough
// for a data file over the slowest line. Tests shorten both.
struct ExchangeLimits
{
    std::chrono::milliseconds silence{30000};
    std::chrono::milliseconds whole{120000};
};

// How long a download pauses: its status text stays on screen half a second before the
// connection is opened and half a second after the transfer has ended, before the file is
// installed. Tests shorten the pauses and the transfer's limits.
struct DownloadTiming
{
    std::chrono::milliseconds pause{500};
    ExchangeLimits limits;
};
