#include "tests/diff/diff.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace kvdiff {
namespace {

struct Case {
    const char *name;
    int cases;
    CaseFn fn;
};

std::vector<Case> &Cases() {
    static std::vector<Case> all;
    return all;
}

uint32_t RunOne(const Case &c, int n) {
    kvtest::Rng rng(static_cast<uint64_t>(n) * 1000003u + strlen(c.name));
    Sink s;
    c.fn(n, rng, s);
    return s.Crc();
}

}  // namespace

void Sink::Add(const void *data, size_t n) {
    const uint8_t *p = static_cast<const uint8_t *>(data);
    for (size_t i = 0; i < n; ++i) {
        crc_ ^= p[i];
        for (int k = 0; k < 8; ++k) crc_ = (crc_ >> 1) ^ (0xEDB88320u & (0u - (crc_ & 1u)));
    }
}

void Sink::Add(const kvtest::TestSurface &s) { Add(s.Memory().data(), s.Memory().size()); }

Registrar::Registrar(const char *name, int cases, CaseFn fn) { Cases().push_back({name, cases, fn}); }

}  // namespace kvdiff

// Prints one line per operation: its name and a CRC over all its cases.
int main(int argc, char **argv) {
    using namespace kvdiff;
    std::vector<Case> all = Cases();
    std::sort(all.begin(), all.end(), [](const Case &a, const Case &b) { return strcmp(a.name, b.name) < 0; });
    if (argc == 3) {
        for (const Case &c : all)
            if (strcmp(c.name, argv[1]) == 0) {
                printf("%s %d %08x\n", c.name, atoi(argv[2]), RunOne(c, atoi(argv[2])));
                return 0;
            }
        fprintf(stderr, "no case named %s\n", argv[1]);
        return 2;
    }
    const bool perCase = argc == 2 && strcmp(argv[1], "--each") == 0;
    for (const Case &c : all) {
        Sink total;
        for (int n = 0; n < c.cases; ++n) {
            const uint32_t crc = RunOne(c, n);
            if (perCase) printf("%s %d %08x\n", c.name, n, crc);
            total.Add(crc);
        }
        printf("%s x%d %08x\n", c.name, c.cases, total.Crc());
    }
    return 0;
}
