#include "server/page.h"

namespace board {

std::string escapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

namespace {

std::string table(const std::vector<BoardRow>& rows, const char* id) {
    std::string html = std::string("<table id=\"") + id +
                       "\"><thead><tr><th>Rank</th><th>Name</th><th>Score</th><th>Frames</th>"
                       "<th>Submitted</th><th></th></tr></thead><tbody>\n";
    for (const BoardRow& r : rows) {
        const std::string id = std::to_string(r.id);
        html += "<tr data-run=\"" + id + "\"><td>" + std::to_string(r.rank) +
                "</td><td class=\"name\">" + escapeHtml(r.name) + "</td><td>" +
                std::to_string(r.score) + "</td><td>" + std::to_string(r.flips) + "</td><td>" +
                escapeHtml(r.submitted) +
                "</td><td><a class=\"watch\" href=\"/play/?replay=/runs/" + id +
                ".replay\">watch</a> <a href=\"/runs/" + id + ".replay\">replay</a></td></tr>\n";
    }
    if (rows.empty()) html += "<tr><td colspan=\"6\">No runs yet.</td></tr>\n";
    return html + "</tbody></table>\n";
}

} // namespace

std::string boardPage(const std::vector<BoardRow>& full, const std::vector<BoardRow>& reduced) {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Tirlane: the world board</title>\n<style>\n"
        "body{font-family:sans-serif;max-width:52em;margin:2em auto;padding:0 1em}\n"
        "table{border-collapse:collapse;width:100%}td,th{padding:.2em .6em;text-align:left}\n"
        "tbody tr:nth-child(odd){background:#f2f2f2}\n"
        "</style></head><body>\n"
        "<h1>Tirlane: the world board</h1>\n"
        "<p>Every run here was played again by the server before it went on the board.\n"
        "Equal scores rank by the frames taken to reach them.</p>\n";
    html += table(full, "board");
    html += "<h2>At a reduced speed</h2>\n" + table(reduced, "reduced");
    html += "<h2>Submit a run</h2>\n"
            "<p>The game keeps your last run as <code>record.replay</code> in its folder.</p>\n"
            "<form id=\"submit\"><label>Replay <input type=\"file\" id=\"file\" required></label>\n"
            "<label>Name <input type=\"text\" id=\"name\" maxlength=\"20\" required></label>\n"
            "<button type=\"submit\">Submit</button></form>\n"
            "<p id=\"answer\"></p>\n"
            "<script>\n"
            "document.getElementById('submit').addEventListener('submit', async (e) => {\n"
            "  e.preventDefault();\n"
            "  const answer = document.getElementById('answer');\n"
            "  const file = document.getElementById('file').files[0];\n"
            "  const name = document.getElementById('name').value;\n"
            "  answer.textContent = 'Checking the run...';\n"
            "  try {\n"
            "    const r = await fetch('/api/runs?name=' + encodeURIComponent(name), {\n"
            "      method: 'POST', headers: {'Content-Type': 'text/plain'}, body: await "
            "file.text()});\n"
            "    const j = await r.json().catch(() => ({}));\n"
            "    if (r.status === 201) { location.reload(); return; }\n"
            "    answer.textContent = 'Not accepted (' + r.status + '): ' + (j.error || '');\n"
            "  } catch (err) { answer.textContent = 'Not sent: ' + err; }\n"
            "});\n"
            "</script>\n</body></html>\n";
    return html;
}

} // namespace board
