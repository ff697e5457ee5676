#include <stdio.h>
#include <string.h>

#include <ctype.h>
#include <errno.h>

#include <algorithm>
#include <new>
#include <cstdlib>

#include "tools/surftool/tool.h"

namespace surftool {

namespace {
std::vector<Command> &CommandList() {
    static std::vector<Command> v;
    return v;
}
std::vector<GalleryEntry> &GalleryList() {
    static std::vector<GalleryEntry> v;
    return v;
}
}  // namespace

CommandRegistrar::CommandRegistrar(const Command &c) { CommandList().push_back(c); }
const std::vector<Command> &Commands() { return CommandList(); }
GalleryRegistrar::GalleryRegistrar(const GalleryEntry &e) { GalleryList().push_back(e); }
const std::vector<GalleryEntry> &Gallery() { return GalleryList(); }

Args::Args(int argc, char **argv, int first, const std::vector<std::string> &flags) {
    for (int i = first; i < argc; ++i) {
        std::string a = argv[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            std::string key = a.substr(2), val = "1";
            const size_t eq = key.find('=');
            if (eq != std::string::npos) {
                val = key.substr(eq + 1);
                key = key.substr(0, eq);
            } else if (i + 1 < argc && strncmp(argv[i + 1], "--", 2) != 0 && key != "help" &&
                       std::find(flags.begin(), flags.end(), key) == flags.end()) {
                val = argv[++i];
            }
            opts_[key] = val;
        } else {
            pos_.push_back(a);
        }
    }
}

std::string Args::Get(const std::string &key, const std::string &def) const {
    auto it = opts_.find(key);
    return it == opts_.end() ? def : it->second;
}

std::string Args::Need(const std::string &key) const {
    auto it = opts_.find(key);
    if (it == opts_.end()) throw Failure("missing option --" + key);
    return it->second;
}

int Args::Int(const std::string &key, int def) const {
    auto it = opts_.find(key);
    if (it == opts_.end()) return def;
    char *end = nullptr;
    const long v = strtol(it->second.c_str(), &end, 0);
    if (!end || *end || it->second.empty() || v < -2147483647L || v > 2147483647L)
        throw Failure("--" + key + " wants a number, not '" + it->second + "'");
    return int(v);
}

int Args::Int(const std::string &key, int def, int lo, int hi) const {
    const int v = Int(key, def);
    if (v < lo || v > hi)
        throw Failure("--" + key + " wants " + std::to_string(lo) + " to " + std::to_string(hi) + ", not " +
                      std::to_string(v));
    return v;
}

unsigned long ParseColour(const std::string &s, const std::string &what) {
    char *end = nullptr;
    errno = 0;
    const unsigned long long v = strtoull(s.c_str(), &end, 0);
    if (s.empty() || !isxdigit(static_cast<unsigned char>(s[0])) || *end || errno || v > 0xFFFFFFFFull)
        throw Failure(what + " wants a 32-bit value such as 0xRRGGBB, not '" + s + "'");
    return static_cast<unsigned long>(v);
}

unsigned long Args::Colour(const std::string &key, unsigned long def) const {
    return Has(key) ? ParseColour(Get(key), "--" + key) : def;
}

CPunto ParsePoint(const std::string &s, const std::string &what) {
    int x = 0, y = 0, used = 0;
    if (sscanf(s.c_str(), "%d,%d%n", &x, &y, &used) != 2 || size_t(used) != s.size() || x < -1000000 || x > 1000000 ||
        y < -1000000 || y > 1000000)
        throw Failure(what + " wants a point X,Y, not '" + s + "'");
    return CPunto(x, y);
}

CPunto Args::Point(const std::string &key) const { return Has(key) ? ParsePoint(Get(key), "--" + key) : CPunto(); }

std::vector<std::string> Args::Unknown(const std::vector<std::string> &known) const {
    std::vector<std::string> out;
    for (const auto &kv : opts_)
        if (kv.first != "help" && std::find(known.begin(), known.end(), kv.first) == known.end())
            out.push_back(kv.first);
    return out;
}

std::string Args::Pos(size_t i, const char *what) const {
    if (i >= pos_.size()) throw Failure(std::string("missing argument: ") + what);
    return pos_[i];
}

void Args::AtMost(size_t n) const {
    if (pos_.size() > n) throw UsageError("unexpected argument '" + pos_[n] + "'");
}

}  // namespace surftool

using namespace surftool;

// Every "--name" that a command's usage text mentions is an option it
// takes; flagsOnly keeps those written with no value after them:
// "[--alpha]", "--bimask [--strength N]".
static std::vector<std::string> OptionsOf(const char *usage, bool flagsOnly = false) {
    std::vector<std::string> v;
    for (const char *p = strstr(usage, "--"); p; p = strstr(p, "--")) {
        p += 2;
        const char *q = p;
        while (isalnum(static_cast<unsigned char>(*q)) || *q == '-') ++q;
        const bool flag = *q == ']' || (q[0] == ' ' && q[1] == '[');
        if (q > p && (flag || !flagsOnly)) v.push_back(std::string(p, size_t(q - p)));
        p = q;
    }
    return v;
}

static void Usage(FILE *f) {
    fprintf(f, "usage: surftool COMMAND [options]   (surftool COMMAND --help for details)\n\ncommands:\n");
    for (const Command &c : Commands()) fprintf(f, "  %-12s %s\n", c.name, c.summary);
}

int main(int argc, char **argv) {
    if (argc < 2 || !strcmp(argv[1], "--help") || !strcmp(argv[1], "-h") || !strcmp(argv[1], "help")) {
        Usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const Command &c : Commands()) {
        if (strcmp(c.name, argv[1]) != 0) continue;
        try {
            Args args(argc, argv, 2, OptionsOf(c.usage, true));
            if (args.Has("help")) {
                printf("%s\n\n%s\n", c.summary, c.usage);
                return 0;
            }
            const std::vector<std::string> unknown = args.Unknown(OptionsOf(c.usage));
            if (!unknown.empty()) {
                fprintf(stderr, "surftool %s: unknown option --%s (surftool %s --help)\n", c.name, unknown[0].c_str(),
                        c.name);
                return 2;
            }
            // Before the command runs: a stray word must not leave files half written.
            args.AtMost(c.positional);
            return c.run(args);
        } catch (const UsageError &e) {
            fprintf(stderr, "surftool %s: %s (surftool %s --help)\n", c.name, e.what(), c.name);
            return 2;
        } catch (const std::bad_alloc &) {
            fprintf(stderr, "surftool %s: out of memory\n", c.name);
            return 1;
        } catch (const std::exception &e) {
            fprintf(stderr, "surftool %s: %s\n", c.name, e.what());
            return 1;
        }
    }
    fprintf(stderr, "surftool: unknown command '%s'\n", argv[1]);
    Usage(stderr);
    return 2;
}
