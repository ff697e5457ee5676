// Naming rule the report script relies on:
//   GROUP/ours/WxH     the library's kernel
//   GROUP/PEER/WxH     the peer it is measured against, in the same process
#ifndef KORVANTE_BENCH_UTIL_H
#define KORVANTE_BENCH_UTIL_H

#include <benchmark/benchmark.h>

#include <string>

namespace kvbench {

struct Dim {
    int w, h;
};
inline const Dim kSizes[] = {{640, 480}, {1920, 1080}};

inline std::string Name(const std::string &group, const std::string &impl, const Dim &s) {
    return group + "/" + impl + "/" + std::to_string(s.w) + "x" + std::to_string(s.h);
}

inline void SetPixelsProcessed(benchmark::State &st, const Dim &s) {
    st.SetItemsProcessed(int64_t(st.iterations()) * s.w * s.h);
}

}  // namespace kvbench

#endif
