// The board server's command line.
#pragma once

#include <string>

namespace board {

struct Options {
    std::string host = "127.0.0.1";
    int port = 8080;
    std::string db = "sqlite:board.db"; // or postgresql://...
    std::string site;                   // the web build, served under /play/
    std::string runner;                 // tirlane-headless; default: beside this program
    bool reverify = false;
    int ratePerMinute = 10; // submissions per address
    int workers = 0;        // verifications at once; 0: the number of cores
    int queue = -1;         // verifications waiting; -1: the number of cores
    int threads = 256;      // connections at once: one kept alive holds a thread
    int cpuSeconds = 10;    // per verification
    int wallSeconds = 30;   // per verification
    long memoryMiB = 512;   // per verification
};

// Parses the arguments. False with a line in `error` for bad ones; `help`
// set when --help asked for the usage text.
bool parseOptions(int argc, char** argv, Options& options, bool& help, std::string& error);
const char* usageText();

} // namespace board
