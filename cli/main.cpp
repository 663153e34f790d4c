#include <cstdio>
#include <cstring>

namespace {
const char* const kUsage = "usage: orvane-cli [--help] [--version]\n";
}

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("orvane-cli 1.0.0.1");
        return 0;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
