#include "platform/web/record_store.h"

#include <emscripten.h>

// The bytes are stored as hexadecimal text: the file holds zero bytes.
// The bodies of EM_JS are JavaScript, kept as written.
// clang-format off
EM_JS(void, restoreRecordFromStorage, (const char* scorePath), {
    var text = null;
    try {
        text = localStorage.getItem("tirlane.Score");
    } catch (e) {
        return; // no storage: the record lives in memory
    }
    if (text === null || text.length === 0 || text.length > 16 || text.length % 2 !== 0) return;
    var bytes = new Uint8Array(text.length / 2);
    for (var i = 0; i < bytes.length; ++i) {
        var value = parseInt(text.substr(2 * i, 2), 16);
        if (isNaN(value)) return; // not ours: left alone
        bytes[i] = value;
    }
    FS.writeFile(UTF8ToString(scorePath), bytes);
});

EM_JS(void, keepRecordInStorage, (const char* scorePath), {
    var bytes;
    try {
        bytes = FS.readFile(UTF8ToString(scorePath));
    } catch (e) {
        return; // the save failed: what is stored stays
    }
    var text = "";
    for (var i = 0; i < bytes.length && i < 8; ++i) {
        text += (bytes[i] < 16 ? "0" : "") + bytes[i].toString(16);
    }
    try {
        localStorage.setItem("tirlane.Score", text);
    } catch (e) {
        // no storage: the record lives in memory
    }
});
// clang-format on

void restoreRecord(const char* scorePath) {
    restoreRecordFromStorage(scorePath);
}

void keepRecord(const char* scorePath) {
    keepRecordInStorage(scorePath);
}
