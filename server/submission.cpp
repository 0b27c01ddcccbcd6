#include "server/submission.h"

#include <sstream>

namespace board {

bool validName(const std::string& name) {
    size_t characters = 0;
    for (size_t i = 0; i < name.size();) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        unsigned long code = 0;
        size_t length = 0;
        if (c < 0x80) {
            code = c, length = 1;
        } else if ((c & 0xE0) == 0xC0) {
            code = c & 0x1F, length = 2;
        } else if ((c & 0xF0) == 0xE0) {
            code = c & 0x0F, length = 3;
        } else if ((c & 0xF8) == 0xF0) {
            code = c & 0x07, length = 4;
        } else {
            return false;
        }
        if (i + length > name.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(name[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and the controls (C0, DEL, C1) are refused.
        static const unsigned long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ||
            code < 0x20 || (code >= 0x7F && code < 0xA0))
            return false;
        i += length;
        ++characters;
    }
    return characters >= 1 && characters <= 20;
}

bool looksLikeReplay(const std::string& body) {
    if (body.rfind("# tirlane replay ", 0) != 0) return false;
    for (const char c : body) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u == 0 || (u < 0x20 && c != '\n' && c != '\r' && c != '\t') || u >= 0x7F) return false;
    }
    return true;
}

int replaySpeed(const std::string& body) {
    std::istringstream lines(body);
    int speed = 100;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("# speed ", 0) != 0) continue;
        const std::string value = line.substr(8);
        if (value.empty() || value.size() > 3 ||
            value.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        speed = std::stoi(value);
        if (speed < 50 || speed > 100) return -1;
    }
    return speed;
}

} // namespace board
