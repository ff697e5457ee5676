#include <stdio.h>
#include <string.h>

#include <cstdlib>

#include "tool.h"

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

Args::Args(int argc, char **argv, int first) {
    for (int i = first; i < argc; ++i) {
        std::string a = argv[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            std::string key = a.substr(2), val = "1";
            const size_t eq = key.find('=');
            if (eq != std::string::npos) {
                val = key.substr(eq + 1);
                key = key.substr(0, eq);
            } else if (i + 1 < argc && strncmp(argv[i + 1], "--", 2) != 0 && key != "help") {
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

std::string Args::Pos(size_t i, const char *what) const {
    if (i >= pos_.size()) throw Failure(std::string("missing argument: ") + what);
    return pos_[i];
}

}  // namespace surftool

using namespace surftool;

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
            Args args(argc, argv, 2);
            if (args.Has("help")) {
                printf("%s\n\n%s\n", c.summary, c.usage);
                return 0;
            }
            return c.run(args);
        } catch (const std::exception &e) {
            fprintf(stderr, "surftool %s: %s\n", c.name, e.what());
            return 1;
        }
    }
    fprintf(stderr, "surftool: unknown command '%s'\n", argv[1]);
    Usage(stderr);
    return 2;
}
