#include <cstdio>

int main() {
    std::fputs("quillory-printer-sim: not built yet\n", stderr);
    return 1;
}
