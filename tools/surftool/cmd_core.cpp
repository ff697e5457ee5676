// Commands of the surface core: create a surface, draw into it, write PNG;
// and the demo, which writes the whole gallery with an index page.
#include <stdio.h>
#include <sys/stat.h>

#include <string.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "tools/surftool/tool.h"

namespace surftool {
namespace {

int RunCreate(const Args &a) {
    int w = 320, h = 200;
    if (a.Has("size")) ParseSize(a.Get("size"), w, h);
    Image img(ParseFormat(a.Get("format", "32")), w, h);
    const std::string pattern = a.Get("pattern", "card");
    if (pattern == "card") {
        DrawTestCard(img);
    } else if (pattern == "fill") {
        const unsigned long c = a.Colour("color", 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) SetPixel(img.desc, x, y, c);
    } else {
        throw Failure("unknown pattern '" + pattern + "' (card or fill)");
    }
    WritePng(img.desc, a.Pos(0, "output PNG file"));
    return 0;
}

const CommandRegistrar create_cmd({"create", "create a surface in any format, draw into it, write a PNG",
                                   "surftool create [--format 8|565|555|1555|4444|24|32] [--size WxH]\n"
                                   "                [--pattern card|fill] [--color 0xRRGGBB|index] OUT.png",
                                   RunCreate, 1});

bool MakeTestCard(int kind, std::unique_ptr<Image> &out) {
    out = TestCard(kind, 256, 160);
    return true;
}
const GalleryRegistrar card_entry({"SetPixel (test card)", "surface", MakeTestCard});

std::string HtmlEscape(const std::string &s) {
    std::string o;
    for (char c : s) {
        if (c == '<')
            o += "&lt;";
        else if (c == '>')
            o += "&gt;";
        else if (c == '&')
            o += "&amp;";
        else
            o += c;
    }
    return o;
}

std::string FileNameFor(const std::string &op, int kind) {
    std::string n;
    for (char c : op) n += (isalnum(static_cast<unsigned char>(c)) ? c : '_');
    return n + "_" + FormatName(kind) + ".png";
}

int RunDemo(const Args &a) {
    const std::string dir = a.Pos(0, "output folder");
    mkdir(dir.c_str(), 0755);
    std::ofstream html(dir + "/index.html");
    if (!html) throw Failure("cannot write " + dir + "/index.html");
    html << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>utils gallery</title>\n"
            "<style>body{font-family:sans-serif}td,th{border:1px solid #ccc;padding:4px;text-align:center}"
            "img{image-rendering:pixelated;max-width:256px}</style></head><body>\n"
            "<h1>utils gallery</h1>\n"
            // The reference is built apart (scripts/apidocs.sh); the link holds
            // for the default layout, gallery/ beside build/.
            "<p>API reference: <a href=\"../build/doxygen/html/index.html\">build/doxygen/html/index.html</a>"
            " (build it with <code>bash scripts/apidocs.sh</code>).</p>\n<table>\n<tr><th>operation</th>";
    for (int k : AllFormats()) html << "<th>" << FormatName(k) << "</th>";
    html << "</tr>\n";
    // Families in the library's own order, from the surface core to the filters.
    static const char *const kFamilies[] = {"surface", "convert", "decode", "blit", "draw", "effects", "filters"};
    auto rank = [](const GalleryEntry &e) {
        const auto *end = std::end(kFamilies);
        return std::find_if(std::begin(kFamilies), end, [&](const char *f) { return !strcmp(f, e.family); }) -
               std::begin(kFamilies);
    };
    std::vector<GalleryEntry> entries = Gallery();
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const GalleryEntry &a, const GalleryEntry &b) { return rank(a) < rank(b); });
    int written = 0;
    for (const GalleryEntry &e : entries) {
        html << "<tr><th>" << HtmlEscape(e.operation) << "</th>";
        for (int k : AllFormats()) {
            std::unique_ptr<Image> img;
            if (!e.make(k, img) || !img) {
                html << "<td>-</td>";
                continue;
            }
            const std::string file = FileNameFor(e.operation, k);
            WritePng(img->desc, dir + "/" + file);
            ++written;
            html << "<td><img src=\"" << file << "\" alt=\"" << HtmlEscape(e.operation) << "\"></td>";
        }
        html << "</tr>\n";
    }
    // Lets a headless browser report broken pictures through the title.
    html << "</table>\n<script>window.addEventListener('load',function(){var b=0,n=0;"
            "for(var i of document.images){n++;if(!i.complete||i.naturalWidth===0)b++;}"
            "document.title='gallery: '+n+' images, '+b+' broken';});</script>\n</body></html>\n";
    printf("wrote %d pictures and %s/index.html\n", written, dir.c_str());
    return 0;
}

const CommandRegistrar demo_cmd({"demo", "write the gallery: every operation in every format, with index.html",
                                 "surftool demo OUTDIR", RunDemo, 1});

}  // namespace
}  // namespace surftool
