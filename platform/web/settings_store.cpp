#include "platform/web/settings_store.h"

#include <emscripten.h>

// The bodies of EM_JS are JavaScript, kept as written.
// clang-format off
EM_JS(void, restoreSettingsFromStorage, (const char* path), {
    var name = UTF8ToString(path);
    var text = null;
    try {
        text = localStorage.getItem("tirlane.settings");
    } catch (e) {
        // no storage: the settings live in memory
    }
    try {
        if (text === null) FS.unlink(name);
        else FS.writeFile(name, text);
    } catch (e) {
        // nothing stored and no file: the defaults
    }
});

EM_JS(void, keepSettingsInStorage, (const char* path), {
    try {
        localStorage.setItem("tirlane.settings", FS.readFile(UTF8ToString(path), {encoding: "utf8"}));
    } catch (e) {
        // no storage: the settings live in memory
    }
});
// clang-format on

void restoreSettings(const char* path) {
    restoreSettingsFromStorage(path);
}

void keepSettings(const char* path) {
    keepSettingsInStorage(path);
}
